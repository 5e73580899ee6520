-- Wireshark dissector for the KXRRack serial line, as Kelvane records it with --trace (pcapng, link type USER0).
--   tshark -X lua_script:tools/wireshark/kxr.lua -r trace.pcapng -T fields -e kxr.command -e kxr.checksum_ok
-- Or copy it into Wireshark's personal Lua plugins folder (Help > About > Folders).
--
-- A frame on the line: start byte 0x02, destination, source, code byte, length bytes, payload, checksum.
-- Every 0x02 after the start byte is sent twice, except that the program writes its requests' two address
-- bytes raw (a module doubles them in its replies). The checksum is the XOR of the code byte, the length
-- bytes and the payload. The code byte's high nibble is the request's command, or the reply's status (0xF0
-- accepted, 0xE0 refused); its low bits give the length form: 0-3 itself, 0x04 one length byte, 0x08 two.

local kxr = Proto("kxr", "KXR")

local START = 0x02
local OWN_ADDRESS = 0xFD

local command_names = {
    [0x10] = "identity",
    [0x40] = "status",
    [0x50] = "configuration write / CAM send",
    [0x60] = "lists: names, rates, CAM read",
    [0x70] = "configuration read",
    [0x80] = "restart",
    [0x90] = "file list",
    [0xC0] = "firmware",
    [0xE0] = "refused",
    [0xF0] = "accepted",
}
local firmware_steps = { [0] = "start", [1] = "block", [2] = "finish", [3] = "restart" }
local address_names = { [0x00] = "rack controller", [0xFD] = "PC", [0xFF] = "broadcast" }

local f = kxr.fields
f.dest = ProtoField.uint8("kxr.dest", "Destination", base.HEX, address_names)
f.src = ProtoField.uint8("kxr.src", "Source", base.HEX, address_names)
f.code = ProtoField.uint8("kxr.code", "Code byte", base.HEX)
f.command = ProtoField.uint8("kxr.command", "Command", base.HEX, command_names)
f.length = ProtoField.uint16("kxr.length", "Payload length", base.DEC)
f.payload = ProtoField.bytes("kxr.payload", "Payload")
f.firmware_step = ProtoField.uint8("kxr.firmware_step", "Firmware step", base.DEC, firmware_steps)
f.checksum = ProtoField.uint8("kxr.checksum", "Checksum", base.HEX)
f.checksum_ok = ProtoField.bool("kxr.checksum_ok", "Checksum good")

local malformed = ProtoExpert.new("kxr.malformed", "Malformed KXR frame", expert.group.MALFORMED,
                                  expert.severity.ERROR)
local bad_checksum = ProtoExpert.new("kxr.bad_checksum", "Bad checksum", expert.group.CHECKSUM,
                                     expert.severity.WARN)
kxr.experts = { malformed, bad_checksum }

-- The frame's bytes after the start byte with the doubled 0x02 undone; nil and a reason when it cannot be.
local function unstuff(tvb, raw_header)
    local out = ByteArray.new()
    local n = tvb:len()
    local i = 1
    while i < n do
        local b = tvb(i, 1):uint()
        if raw_header and out:len() < 2 then
            out:append(ByteArray.new(string.format("%02x", b)))
            i = i + 1
        elseif b == START then
            if i + 1 >= n or tvb(i + 1, 1):uint() ~= START then
                return nil, "a lone 0x02 inside the frame (a new frame starts there)"
            end
            out:append(ByteArray.new("02"))
            i = i + 2
        else
            out:append(ByteArray.new(string.format("%02x", b)))
            i = i + 1
        end
    end
    return out
end

local function dissect(tvb, pinfo, tree)
    pinfo.cols.protocol = "KXR"
    local item = tree:add(kxr, tvb(), "KXR frame")
    if tvb:len() < 1 or tvb(0, 1):uint() ~= START then
        item:add_proto_expert_info(malformed, "no start byte")
        return
    end
    -- Kelvane writes its requests' addresses raw; what it reads is stuffed from the byte after the start on.
    local outbound = pinfo.p2p_dir == P2P_DIR_SENT
    local bytes, why = unstuff(tvb, outbound)
    if not bytes then
        item:add_proto_expert_info(malformed, why)
        return
    end
    if bytes:len() < 4 then
        item:add_proto_expert_info(malformed, "shorter than a frame's header")
        return
    end
    local u = bytes:tvb("Unstuffed KXR frame")
    local code = u(2, 1):uint()
    local length, at = code % 4, 3
    if bit.band(code, 0x08) ~= 0 then
        if u:len() < 5 then
            item:add_proto_expert_info(malformed, "cut inside its length")
            return
        end
        length, at = u(3, 2):uint(), 5
    elseif bit.band(code, 0x04) ~= 0 then
        length, at = u(3, 1):uint(), 4
    end
    item:add(f.dest, u(0, 1))
    item:add(f.src, u(1, 1))
    item:add(f.code, u(2, 1))
    local command = bit.band(code, 0xF0)
    item:add(f.command, u(2, 1), command)
    item:add(f.length, u(2, at - 2), length)
    if u:len() ~= at + length + 1 then
        item:add_proto_expert_info(malformed, string.format("%d payload bytes announced, %d there",
                                                             length, math.max(u:len() - at - 1, 0)))
        return
    end
    if length > 0 then
        item:add(f.payload, u(at, length))
        if command == 0xC0 and outbound then item:add(f.firmware_step, u(at, 1)) end
    end
    local sum = 0
    for k = 2, at + length - 1 do sum = bit.bxor(sum, u(k, 1):uint()) end
    local checksum = u(at + length, 1):uint()
    item:add(f.checksum, u(at + length, 1))
    local good = item:add(f.checksum_ok, u(at + length, 1), sum == checksum)
    if sum ~= checksum then good:add_proto_expert_info(bad_checksum) end

    local name = command_names[command] or string.format("0x%02X", command)
    if command == 0x60 and outbound and u(0, 1):uint() == 0 then name = "module list" end
    local peer = outbound and u(0, 1):uint() or u(1, 1):uint()
    pinfo.cols.info = string.format("%s %s 0x%02X: %s, %d bytes", outbound and "to" or "from",
                                    outbound and "module" or "module", peer, name, length)
    item:append_text(string.format(", %s", name))
end

function kxr.dissector(tvb, pinfo, tree)
    -- A dissector error would hide the frame; a frame it cannot read is shown as malformed instead.
    local ok, err = pcall(dissect, tvb, pinfo, tree)
    if not ok then
        tree:add(kxr, tvb()):add_proto_expert_info(malformed, "cannot be read: " .. tostring(err))
    end
    return tvb:len()
end

local encap = (wtap_encaps and wtap_encaps.USER0) or wtap.USER0
DissectorTable.get("wtap_encap"):add(encap, kxr)
