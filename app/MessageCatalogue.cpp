#include "app/MessageCatalogue.h"

#include <iterator>

namespace kelvane {
namespace {

// The accented letters below are written as they are; the table is only right if the compiler stores string
// literals as UTF-8.
static_assert(sizeof("é") == 3 && "é"[0] == '\xC3' && "é"[1] == '\xA9', "string literals must be stored as UTF-8");

// Entry id * 4 + language, languages in the order English, French, Italian, German. Where a row repeats the
// English text, that is the wording the operators of that language are used to.
constexpr const char* kEntries[] = {
    // 0
    "NoName",
    "SansNom",
    "SenzaNome",
    "KeinName",
    // 1
    "Sat. Transport Stream ID. : %d",
    "N° flux : %d",
    "Sat. Transport Stream ID. : %d",
    "Sat. Transport Stream ID. : %d",
    // 2
    "Waiting multiplex lock...",
    "Attente du verrouillage du multiplex...",
    "Attesa aggancio del multiplex...",
    "Warten auf Synchronisation des Multiplex...",
    // 3
    "Preparing list...",
    "Préparation de la liste...",
    "Preparazione della lista...",
    "Liste wird vorbereitet...",
    // 4
    "DoubleClick on list to change settings",
    "Double-cliquer sur la liste pour modifier les réglages",
    "Doppio clic sulla lista per modificare le impostazioni",
    "Doppelklick auf die Liste, um die Einstellungen zu ändern",
    // 5
    "Loaded configuration matches current installation.",
    "La configuration chargée correspond à l'installation actuelle.",
    "La configurazione caricata corrisponde all'installazione attuale.",
    "Die geladene Konfiguration entspricht der aktuellen Installation.",
    // 6
    "LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !",
    "LA CONFIGURATION CHARGÉE NE CORRESPOND PAS À L'INSTALLATION ACTUELLE !",
    "LA CONFIGURAZIONE CARICATA NON CORRISPONDE ALL'INSTALLAZIONE ATTUALE !",
    "DIE GELADENE KONFIGURATION ENTSPRICHT NICHT DER AKTUELLEN INSTALLATION !",
    // 7
    "Short Description :",
    "Description succincte :",
    "Breve descrizione :",
    "Kurzbeschreibung :",
    // 8
    "  B.I.S. Frequency : %dMHz",
    "  Fréquence B.I.S. : %dMHz",
    "  Frequenza B.I.S. : %dMHz",
    "  B.I.S.-Frequenz : %dMHz",
    // 9
    "  Symbol rate : %d",
    "  Débit symbole : %d",
    "  Velocità di simbolo : %d",
    "  Symbolrate : %d",
    // 10
    "  Band : %s",
    "  Bande : %s",
    "  Banda : %s",
    "  Band : %s",
    // 11
    "  Polarity : %s",
    "  Polarité : %s",
    "  Polarità : %s",
    "  Polarisation : %s",
    // 12: fills message 10, so it agrees with the word for band.
    "High",
    "Haute",
    "Alta",
    "Hoch",
    // 13
    "Low",
    "Basse",
    "Bassa",
    "Niedrig",
    // 14: fills message 11, so it agrees with the word for polarity.
    "Vertical",
    "Verticale",
    "Verticale",
    "Vertikal",
    // 15
    "Horizontal",
    "Horizontale",
    "Orizzontale",
    "Horizontal",
    // 16
    "  Decryption on service(s) :",
    "  Décryptage sur service(s) :",
    "  Decodifica sui servizi :",
    "  Entschlüsselung der Dienste :",
    // 17
    "  Activation(Decryption) of service(s) :",
    "  Activation(Décryptage) des service(s) :",
    "  Attivazione(Decodifica) dei servizi :",
    "  Aktivierung(Entschlüsselung) der Dienste :",
    // 18
    "Movie(s) played on service %d :",
    "Film(s) diffusé(s) sur le service %d :",
    "Filmati riprodotti sul servizio %d :",
    "Auf Dienst %d abgespielte Filme :",
    // 19: the summary appends the constellation, mode, bandwidth and code rate after the parenthesis.
    "  Frequency : %dMHz (",
    "  Fréquence : %dMHz (",
    "  Frequenza : %dMHz (",
    "  Frequenz : %dMHz (",
    // 20: the guard interval value follows the blank.
    "Guard Int. ",
    "Int. de garde ",
    "Int. di guardia ",
    "Schutzint. ",
    // 21
    "  No configuration required",
    "  Aucune configuration requise",
    "  Nessuna configurazione richiesta",
    "  Keine Konfiguration erforderlich",
    // 22: the progress step is appended on the next line of the pop-up.
    "Updating module %d (%s) to release V%d.%d\r\n",
    "M.a.j. module %d (%s) vers version %d.%d\r\n",
    "Aggiornamento del modulo %d (%s) alla versione V%d.%d\r\n",
    "Update des Moduls %d (%s) auf die Version V%d.%d\r\n",
    // 23
    "Preparing...",
    "Préparation...",
    "Preparazione...",
    "Vorbereitung...",
    // 24
    "Sending...",
    "Envoi...",
    "Invio...",
    "Senden...",
    // 25
    "Writing, WAIT AND DO NOT POWER OFF KXRRACK...",
    "Ecriture, ATTENDRE ET NE PAS METTRE HORS TENSION...",
    "Scrittura, ATTENDERE E NON SPEGNERE L'UNITÀ...",
    "Schreiben, WARTEN UND DAS GERÄT NICHT VOM NETZ NEHMEN...",
    // 26
    "ERROR !",
    "ERREUR !",
    "ERRORE !",
    "FEHLER !",
    // 27
    "Searching...",
    "Recherche...",
    "Ricerca in corso...",
    "Suche...",
    // 28
    "Found. Getting configuration...",
    "Trouvé. Lecture de la configuration...",
    "Trovato. Lettura della configurazione...",
    "Gefunden. Konfiguration wird gelesen...",
    // 29
    "Hardware updated - Reboot required - Wait...",
    "Matériel mis à jour - Redémarrage nécessaire - Patienter...",
    "Unità aggiornata - Riavvio necessario - Attendere...",
    "Hardware aktualisiert - Neustart erforderlich - Bitte warten...",
    // 30
    "Hardware not found...",
    "Matériel non trouvé...",
    "Unità non riconosciuta...",
    "Modul nicht gefunden...",
    // 31
    "Inactive module detected...",
    "Module inactif détecté...",
    "Rilevato modulo inattivo...",
    "Inaktives Modul erkannt...",
    // 32
    "Firmware files not found...",
    "Fichiers firmware non trouvés...",
    "File firmware non trovati...",
    "Firmware-Dateien nicht gefunden...",
    // 33
    "Configuration require input and output modules.",
    "Module Entrée ET Sortie requis",
    "Configurazione richiesto per moduli d'ingresso e d'uscita.",
    "Konfiguration der Eingangs und Ausgangsmodule erforderlich.",
    // 34
    "Select name to save hardware configuration",
    "Choisir le nom de sauvegarde de la configuration du matériel",
    "Scegliere il nome per salvare la configurazione dell'unità",
    "Namen zum Speichern der Hardware-Konfiguration wählen",
    // 35
    "Select Configuration file to upload in hardware",
    "Choisir le fichier de configuration à charger dans le matériel",
    "Scegliere il file di configurazione da caricare nell'unità",
    "Konfigurationsdatei zum Laden in die Hardware wählen",
    // 36: the file's full path follows the blank.
    "Configuration saved into ",
    "Configuration sauvegardée dans ",
    "Configurazione salvata in ",
    "Konfiguration gespeichert in ",
    // 37
    "ERROR : CAN NOT CREATE FILE !",
    "ERREUR : IMPOSSIBLE DE CRÉER LE FICHIER !",
    "ERRORE : IMPOSSIBILE CREARE IL FILE !",
    "FEHLER : DATEI KANN NICHT ERSTELLT WERDEN !",
    // 38: the English spelling is the one operators have always seen; it stays.
    "Configuration uploaded to hardware.",
    "Configuration chargée dans le matériel.",
    "Configurazione caricata nell'unità.",
    "Konfiguration in die Hardware geladen.",
    // 39
    "ERROR : CAN NOT OPEN FILE !",
    "ERREUR : IMPOSSIBLE D'OUVRIR LE FICHIER !",
    "ERRORE : IMPOSSIBILE APRIRE IL FILE !",
    "FEHLER : DATEI KANN NICHT GEÖFFNET WERDEN !",
    // 40
    "Connecting to common interface",
    "Connexion à l'interface commune",
    "Connessione all'interfaccia comune",
    "Verbindung zum Common Interface",
    // 41
    "CAM initing. Wait...",
    "Initialisation du CAM. Patienter...",
    "Inizializzazione della CAM. Attendere...",
    "CAM wird initialisiert. Bitte warten...",
    // 42
    "Ask for main menu",
    "Demande du menu principal",
    "Richiesta del menu principale",
    "Hauptmenü wird angefordert",
    // 43
    "Select menu %d",
    "Sélection du menu %d",
    "Selezione del menu %d",
    "Auswahl von Menü %d",
    // 44: the operator's answer follows the blank.
    "Answer : ",
    "Réponse : ",
    "Risposta : ",
    "Antwort : ",
    // 45
    "Doubleclick on list to select or Escape for previous menu",
    "Double-cliquer sur la liste pour choisir ou Échap pour le menu précédent",
    "Doppio clic sulla lista per scegliere o Esc per il menu precedente",
    "Doppelklick auf die Liste zum Auswählen oder Esc für das vorherige Menü",
    // 46
    "Enter value and press OK or CANCEL",
    "Entrer la valeur et appuyer sur OK ou ANNULER",
    "Inserire il valore e premere OK o ANNULLA",
    "Wert eingeben und OK oder ABBRECHEN drücken",
    // 47
    "TAG %06X not treated",
    "TAG %06X non traité",
    "TAG %06X non gestito",
    "TAG %06X nicht behandelt",
    // 48
    "Not identified service !",
    "Service non identifié !",
    "Servizio non identificato !",
    "Nicht identifizierter Dienst !",
    // 49
    "Polarity :",
    "Polarité :",
    "Polarità :",
    "Polarisation :",
    // 50
    "F.E.C. :",
    "F.E.C. :",
    "F.E.C. :",
    "F.E.C. :",
    // 51
    "CONFIGURATION",
    "CONFIGURATION",
    "CONFIGURAZIONE",
    "KONFIGURATION",
    // 52
    "HD LCN",
    "LCN HD",
    "LCN HD",
    "HD LCN",
    // 53
    "S.I.D.",
    "SERV.",
    "Serv.",
    "S.I.D.",
    // 54
    "Service name",
    "NOM PROGRAMME",
    "Programma",
    "Service name",
    // 55
    "UNCRYPT",
    "DÉCRYPT.",
    "DECRIPT.",
    "ENTSCHL.",
    // 56
    "MODULATION",
    "MODULATION",
    "MODULAZ.",
    "MODULATION",
    // 57
    "LCN",
    "Chaine",
    "LCN",
    "LCN",
    // 58
    "Bandwidth :",
    "Largeur de bande :",
    "Larghezza di banda :",
    "Bandbreite :",
    // 59
    "Guard Int. :",
    "Int. de garde :",
    "Int. di guardia :",
    "Schutzint. :",
    // 60
    "Net. Id. :",
    "Id. réseau :",
    "Id. rete :",
    "Netz-Id. :",
    // 61
    "T.S. Id. :",
    "Id. T.S. :",
    "Id. T.S. :",
    "T.S.-Id. :",
    // 62
    "Network name :",
    "Nom du réseau :",
    "Nome della rete :",
    "Netzname :",
    // 63
    "Remove CAT/EMM",
    "Supprimer CAT/EMM",
    "Rimuovi CAT/EMM",
    "CAT/EMM entfernen",
    // 64
    "Level Att.",
    "Att. niveau",
    "Att. livello",
    "Pegeldämpf.",
    // 65-68: the bit rate of each output channel.
    "B.W. 1",
    "L.B. 1",
    "L.B. 1",
    "B.W. 1",
    // 66
    "B.W. 2",
    "L.B. 2",
    "L.B. 2",
    "B.W. 2",
    // 67
    "B.W. 3",
    "L.B. 3",
    "L.B. 3",
    "B.W. 3",
    // 68
    "B.W. 4",
    "L.B. 4",
    "L.B. 4",
    "B.W. 4",
    // 69
    "Level",
    "Niveau",
    "Livello",
    "Pegel",
    // 70
    "S.N.R.",
    "Qualité",
    "Qualità",
    "S.N.R.",
    // 71: the file player's output rate.
    "Rate :",
    "Débit :",
    "Velocità :",
    "Datenrate :",
    // 72
    "Name :",
    "Nom :",
    "Nome :",
    "Name :",
    // 73
    "S.I.D. :",
    "Id. serv. :",
    "Id. serv. :",
    "S.I.D. :",
    // 74
    "Const. :",
    "Const. :",
    "Costell. :",
    "Konst. :",
    // 75
    "ACTIVATION",
    "ACTIVATION",
    "ATTIVAZ.",
    "AKTIVIER.",
    // 76
    "Freq. (kHz) :",
    "Fréq. (kHz) :",
    "Freq. (kHz) :",
    "Freq. (kHz) :",
    // 77
    "Channel :",
    "Canal :",
    "Canale :",
    "Kanal :",
    // 78: the CAM menu: a packet for the CAM refused by its module.
    "The CI module refused what was sent to the CAM",
    "Le module CI a refusé l'envoi vers le CAM",
    "Il modulo CI ha rifiutato l'invio al CAM",
    "Das CI-Modul hat die Sendung an das CAM abgelehnt",
    // 79: the CAM menu: a choice or answer replaced by a newer one before it went out.
    "Previous choice or answer not sent: replaced by the new one",
    "Choix ou réponse précédent non envoyé : remplacé par le nouveau",
    "Scelta o risposta precedente non inviata: sostituita dalla nuova",
    "Vorherige Auswahl oder Antwort nicht gesendet: durch die neue ersetzt",
    // 80: a change the module panel could not write; the module, its row, then one of the reasons 81-83.
    "%s in row %d: change not sent, %s.",
    "%s ligne %d : modification non envoyée, %s.",
    "%s riga %d: modifica non inviata, %s.",
    "%s Zeile %d: Änderung nicht gesendet, %s.",
    // 81
    "its configuration would pass 1024 bytes",
    "sa configuration dépasserait 1024 octets",
    "la sua configurazione supererebbe 1024 byte",
    "seine Konfiguration wäre länger als 1024 Bytes",
    // 82
    "its configuration could not be read",
    "sa configuration n'a pas pu être lue",
    "la sua configurazione non è stata letta",
    "seine Konfiguration konnte nicht gelesen werden",
    // 83
    "its service names could not be read",
    "ses noms de services n'ont pas pu être lus",
    "i nomi dei suoi servizi non sono stati letti",
    "seine Dienstnamen konnten nicht gelesen werden",
    // 84: an LCN typed in the service list beyond what the descriptors carry.
    "LCN %d refused: 0 to 1023 only.",
    "LCN %d refusé : de 0 à 1023 seulement.",
    "LCN %d rifiutato: solo da 0 a 1023.",
    "LCN %d abgelehnt: nur 0 bis 1023.",
    // 85: the serial ports another program holds
    "%s is in use by another program",
    "%s est utilisé par un autre programme",
    "%s è in uso da un altro programma",
    "%s wird von einem anderen Programm verwendet",
    // 86, kFirmwareChangedMessage: follows the upgrade's heading in place of message 26.
    "Firmware file changed since start-up: not sent.",
    "Fichier firmware modifié depuis le démarrage : non envoyé.",
    "File firmware modificato dopo l'avvio: non inviato.",
    "Firmware-Datei seit dem Start geändert: nicht gesendet.",
    // 87, kFirmwareTooLargeMessage: the name as listed in KXR.FRM.
    "Firmware file %s refused: larger than 16 MiB.",
    "Fichier firmware %s refusé : plus de 16 Mio.",
    "File firmware %s rifiutato: più di 16 MiB.",
    "Firmware-Datei %s abgelehnt: größer als 16 MiB.",
    // 88, kFileWriteProtectedMessage
    "The file is write-protected; it was left as it was.",
    "Le fichier est protégé en écriture ; il est resté intact.",
    "Il file è protetto da scrittura; è rimasto invariato.",
    "Die Datei ist schreibgeschützt; sie bleibt unverändert.",
    // 89, kFolderWriteProtectedMessage
    "The folder is write-protected: no file can be saved there.",
    "Le dossier est protégé en écriture : aucun fichier ne peut y être enregistré.",
    "La cartella è protetta da scrittura: nessun file può esservi salvato.",
    "Der Ordner ist schreibgeschützt: dort kann keine Datei gespeichert werden.",
    // 90, kNotAFileMessage
    "This name is that of a folder or a device, not of a file.",
    "Ce nom est celui d'un dossier ou d'un périphérique, pas d'un fichier.",
    "Questo nome è quello di una cartella o di un dispositivo, non di un file.",
    "Dieser Name gehört zu einem Ordner oder Gerät, nicht zu einer Datei.",
    // 91
    "ERROR : DAMAGED FILE, IT ENDS INSIDE A RECORD !",
    "ERREUR : FICHIER ENDOMMAGÉ, IL S'ARRÊTE DANS UN ENREGISTREMENT !",
    "ERRORE : FILE DANNEGGIATO, FINISCE DENTRO UN RECORD !",
    "FEHLER : DATEI BESCHÄDIGT, SIE ENDET MITTEN IN EINEM DATENSATZ !",
    // 92
    "ERROR : DAMAGED FILE, A RECORD IS TOO LONG !",
    "ERREUR : FICHIER ENDOMMAGÉ, UN ENREGISTREMENT EST TROP LONG !",
    "ERRORE : FILE DANNEGGIATO, UN RECORD È TROPPO LUNGO !",
    "FEHLER : DATEI BESCHÄDIGT, EIN DATENSATZ IST ZU LANG !",
    // 93
    "ERROR : FILE DOES NOT FIT, MORE MODULES THAN A RACK HOLDS !",
    "ERREUR : FICHIER INADAPTÉ, PLUS DE MODULES QU'UN RACK NE PEUT EN CONTENIR !",
    "ERRORE : FILE NON ADATTO, PIÙ MODULI DI QUANTI UN RACK NE CONTENGA !",
    "FEHLER : DATEI PASST NICHT, MEHR MODULE ALS EIN RACK FASST !",
    // 94
    "Search the rack again",
    "Rechercher à nouveau le rack",
    "Cerca di nuovo il rack",
    "Rack erneut suchen",
    // 95
    "Upload a configuration file to the rack",
    "Charger un fichier de configuration dans le rack",
    "Carica un file di configurazione nel rack",
    "Konfigurationsdatei in das Rack laden",
    // 96
    "Save the rack's configuration to a file",
    "Enregistrer la configuration du rack dans un fichier",
    "Salva la configurazione del rack in un file",
    "Konfiguration des Racks in einer Datei speichern",
    // 97
    "A firmware update is under way. Ending now may leave a module without firmware. End the program anyway?",
    "Une mise à jour du firmware est en cours. Quitter maintenant peut laisser un module sans firmware. "
    "Quitter quand même ?",
    "Aggiornamento del firmware in corso. Uscire ora può lasciare un modulo senza firmware. "
    "Uscire comunque?",
    "Eine Firmware-Aktualisierung läuft. Jetzt beenden kann ein Modul ohne Firmware lassen. "
    "Trotzdem beenden?",
    // 98
    "Link to the rack lost - Searching...",
    "Liaison avec le rack perdue - Recherche...",
    "Collegamento con il rack perso - Ricerca...",
    "Verbindung zum Rack verloren - Suche...",
    // 99, kRackFoundOnMessage: the port-table entry that answered the search (a device or a serial server).
    "Rack found on %s",
    "Rack trouvé sur %s",
    "Rack trovato su %s",
    "Rack gefunden an %s",
    // 100, kCamPacketTooLongMessage
    "The CAM sent a message too long to show; it was left out.",
    "Le CAM a envoyé un message trop long pour être affiché ; il a été ignoré.",
    "Il CAM ha inviato un messaggio troppo lungo da mostrare; è stato ignorato.",
    "Das CAM hat eine Nachricht gesendet, die zu lang zum Anzeigen ist; sie wurde übergangen.",
    // 101, kHistoryTipMessage: the module panel's button that opens the history window.
    "Signal history of the last ten minutes",
    "Historique du signal des dix dernières minutes",
    "Storico del segnale degli ultimi dieci minuti",
    "Signalverlauf der letzten zehn Minuten",
    // 102, kHistoryTitleMessage: the history window's caption, with the pair's model names.
    "Signal history - %s",
    "Historique du signal - %s",
    "Storico del segnale - %s",
    "Signalverlauf - %s",
    // 103, kHistoryInputMessage: an input row's chart, with its letter.
    "Input %s",
    "Entrée %s",
    "Ingresso %s",
    "Eingang %s",
    // 104, kHistoryChannelMessage: an output channel's chart, with its number.
    "Channel %d",
    "Canal %d",
    "Canale %d",
    "Kanal %d",
    // 105, kHistoryRateMessage: the bit-rate a channel carries.
    "Rate",
    "Débit",
    "Bitrate",
    "Datenrate",
    // 106, kHistoryCapacityMessage: the bit-rate a channel can carry.
    "Capacity",
    "Capacité",
    "Capacità",
    "Kapazität",
    // 107, kHistoryLockLostMessage: the moments an input lost its lock.
    "Lock lost",
    "Verrouillage perdu",
    "Aggancio perso",
    "Synchronisation verloren",
    // 108, kHistoryNoDataMessage: the stretches without figures (a module did not answer, or was not asked).
    "No data",
    "Pas de données",
    "Nessun dato",
    "Keine Daten",
    // 109, kHistoryTimeAxisMessage: the time axis, in minutes before the last poll.
    "Time (min)",
    "Temps (min)",
    "Tempo (min)",
    "Zeit (min)",
    // 110, kFieldOutOfRangeMessage: a number typed in a panel field that its module cannot hold (the field's
    // caption, what was typed, the range).
    "%s %s refused: %d to %d only.",
    "%s %s refusé : de %d à %d seulement.",
    "%s %s rifiutato: solo da %d a %d.",
    "%s %s abgelehnt: nur %d bis %d.",
    // 111, kSentToMessage: the panel's change went out (the modules, the time of day).
    "Sent to %s, at %s.",
    "Envoyé à %s, à %s.",
    "Inviato a %s, alle %s.",
    "Gesendet an %s, um %s.",
    // 112, kModuleInRowText: one module named in a sentence (its model, its row).
    "%s, row %d",
    "%s, ligne %d",
    "%s, riga %d",
    "%s, Zeile %d",
    // 113, kNotAllSentMessage: a change that did not reach every module.
    "Not everything reached %s, at %s: the rack did not answer.",
    "Envoi incomplet vers %s, à %s : le rack n'a pas répondu.",
    "Invio incompleto a %s, alle %s: il rack non ha risposto.",
    "Nicht alles erreichte %s, um %s: das Rack hat nicht geantwortet.",
    // 114, kCancelText: the summary dialog's button that goes back without uploading.
    "Cancel",
    "Annuler",
    "Annulla",
    "Abbrechen",
    // 115, kVersionNotTakenMessage: the model, its row, the version it reports, then the image's version.
    "%s, row %d, reports V%d.%d after an upgrade to V%d.%d",
    "%s, ligne %d, indique V%d.%d après mise à jour en V%d.%d",
    "%s, riga %d, indica V%d.%d dopo un aggiornamento a V%d.%d",
    "%s, Zeile %d, meldet V%d.%d nach einem Update auf V%d.%d",
    // 116, kSummarySlotText: a module's row in the configuration summary.
    "Slot %d : ",
    "Emplacement %d : ",
    "Slot %d : ",
    "Steckplatz %d : ",
    // 117, kSummaryAttenuationText: an output's level in the configuration summary.
    "  Attenuation : %ddB",
    "  Atténuation : %ddB",
    "  Attenuazione : %ddB",
    "  Dämpfung : %ddB",
    // 118, kSummaryServicesText: the head of an output's service list in the configuration summary.
    "  Services : ",
    "  Services : ",
    "  Servizi : ",
    "  Dienste : ",
    // 119, kPortMissingMessage: a device named in the table that is not there.
    "%s: no such device",
    "%s : périphérique inexistant",
    "%s: dispositivo inesistente",
    "%s: Gerät nicht vorhanden",
    // 120, kPortNotPermittedMessage: a device this user may not open, and the group that may.
    "%s: no permission; join the group %s, then log in again",
    "%s : pas de droit d'accès ; rejoindre le groupe %s, puis se reconnecter",
    "%s: permesso negato; entrare nel gruppo %s, poi riconnettersi",
    "%s: keine Berechtigung; der Gruppe %s beitreten, neu anmelden",
    // 121, kPortLockedMessage: a device another program holds, with the process named in its lock file.
    "%s is in use by process %s",
    "%s est utilisé par le processus %s",
    "%s è in uso dal processo %s",
    "%s wird von Prozess %s verwendet",
    // 122, kPortNotSerialMessage: a path that is not a serial device.
    "%s: not a serial port",
    "%s : pas un port série",
    "%s: non è una porta seriale",
    "%s: keine serielle Schnittstelle",
    // 123, kPortBadEntryMessage: an entry of the port table that cannot be read, with why.
    "%s: entry not understood (%s)",
    "%s : entrée incomprise (%s)",
    "%s: voce non compresa (%s)",
    "%s: Eintrag nicht verstanden (%s)",
    // 124, kPortRefusedMessage: a serial server that refused the connection.
    "%s: connection refused",
    "%s : connexion refusée",
    "%s: connessione rifiutata",
    "%s: Verbindung abgelehnt",
    // 125, kPortUnknownHostMessage: a serial server whose name does not resolve.
    "%s: unknown host",
    "%s : hôte inconnu",
    "%s: host sconosciuto",
    "%s: unbekannter Host",
    // 126, kPortTimedOutMessage: a serial server that did not answer in time.
    "%s: no answer from the server",
    "%s : pas de réponse du serveur",
    "%s: nessuna risposta dal server",
    "%s: keine Antwort vom Server",
    // 127, kPortUnreachableMessage: a serial server with no route to it.
    "%s: server unreachable",
    "%s : serveur injoignable",
    "%s: server irraggiungibile",
    "%s: Server nicht erreichbar",
    // 128, kPortSettingsRefusedMessage: a serial server that refused 115200 8N1, with its words.
    "%s: the server refused the line settings (%s)",
    "%s : le serveur refuse les réglages de la ligne (%s)",
    "%s: il server rifiuta le impostazioni della linea (%s)",
    "%s: der Server lehnt die Leitungseinstellungen ab (%s)",
    // 129, kPortServerInUseMessage: a serial server whose device someone else has, with its words.
    "%s: the server's device is in use (%s)",
    "%s : le périphérique du serveur est occupé (%s)",
    "%s: il dispositivo del server è occupato (%s)",
    "%s: das Gerät des Servers ist belegt (%s)",
    // 130, kPortServerClosedMessage: a serial server that closed the connection.
    "%s: the server closed the connection",
    "%s : le serveur a fermé la connexion",
    "%s: il server ha chiuso la connessione",
    "%s: der Server hat die Verbindung geschlossen",
    // 131, kPortNoAnswerMessage: a port that opened but where no rack answered.
    "%s: no rack answered",
    "%s : aucun rack n'a répondu",
    "%s: nessun rack ha risposto",
    "%s: kein Rack hat geantwortet",
    // 132, kPortErrorMessage: a port that could not be opened for another reason, with the system's error number.
    "%s: cannot be opened (error %d)",
    "%s : ouverture impossible (erreur %d)",
    "%s: apertura impossibile (errore %d)",
    "%s: kann nicht geöffnet werden (Fehler %d)",
    // 133, kNoPortToSearchMessage: a search that found no port at all.
    "no serial port found",
    "aucun port série trouvé",
    "nessuna porta seriale trovata",
    "keine serielle Schnittstelle gefunden",
    // 134, kMorePortsMessage: the ports tried beyond those named.
    "%d more",
    "%d autres",
    "altre %d",
    "%d weitere",
    // 135, kNoRackLastingMessage: no rack answered at start-up: what was tried, the hints, and that the search goes on.
    "No rack: %s. Check the cable, ports.txt and the serial group; searching again...",
    "Pas de rack : %s. Vérifier le câble, ports.txt et le groupe série ; nouvelle recherche...",
    "Nessun rack: %s. Controllare cavo, ports.txt e gruppo seriale; nuova ricerca...",
    "Kein Rack: %s. Kabel, ports.txt und serielle Gruppe prüfen; neue Suche...",
    // 136, kTitleWithRackText: the main window's title, after the program's name, once a rack answered (the
    // entry it answered on).
    "KXRRack on %s",
    "KXRRack sur %s",
    "KXRRack su %s",
    "KXRRack an %s",
    // 137-144: what the pictures of the service list mean, shown while the mouse rests on them.
    "Television service",
    "Service de télévision",
    "Servizio televisivo",
    "Fernsehdienst",
    "Radio service",
    "Service de radio",
    "Servizio radiofonico",
    "Radiodienst",
    "Scrambled: needs a CAM",
    "Crypté : demande un CAM",
    "Criptato: richiede un CAM",
    "Verschlüsselt: braucht ein CAM",
    "Free to air",
    "En clair",
    "In chiaro",
    "Unverschlüsselt",
    "Descrambled by the CAM of CI module %d (double-click to change)",
    "Décrypté par le CAM du module CI %d (double-clic pour changer)",
    "Decriptato dal CAM del modulo CI %d (doppio clic per cambiare)",
    "Entschlüsselt vom CAM des CI-Moduls %d (Doppelklick zum Ändern)",
    "Not descrambled by CI module %d (double-click to choose it)",
    "Non décrypté par le module CI %d (double-clic pour le choisir)",
    "Non decriptato dal modulo CI %d (doppio clic per sceglierlo)",
    "Nicht vom CI-Modul %d entschlüsselt (Doppelklick zum Wählen)",
    "On output channel %d (double-click to take it off)",
    "Sur le canal de sortie %d (double-clic pour l'en retirer)",
    "Sul canale d'uscita %d (doppio clic per toglierlo)",
    "Auf Ausgangskanal %d (Doppelklick zum Entfernen)",
    "Not on output channel %d (double-click to put it there)",
    "Pas sur le canal de sortie %d (double-clic pour l'y mettre)",
    "Non sul canale d'uscita %d (doppio clic per metterlo)",
    "Nicht auf Ausgangskanal %d (Doppelklick zum Hinzufügen)",
    // The main window's menu bar: menus and items ('&' marks the key that opens each from the keyboard).
    // 145, kFileMenuText
    "&File",
    "&Fichier",
    "&File",
    "&Datei",
    // 146, kSaveConfigItemText
    "&Save configuration...",
    "&Enregistrer la configuration...",
    "&Salva configurazione...",
    "Konfiguration &speichern...",
    // 147, kUploadConfigItemText
    "&Upload configuration...",
    "En&voyer une configuration...",
    "&Carica configurazione...",
    "Konfiguration &hochladen...",
    // 148, kQuitItemText
    "&Quit",
    "&Quitter",
    "&Esci",
    "&Beenden",
    // 149, kRackMenuText
    "&Rack",
    "&Rack",
    "&Rack",
    "&Rack",
    // 150, kSearchAgainItemText
    "&Search again",
    "&Rechercher à nouveau",
    "&Cerca di nuovo",
    "Erneut &suchen",
    // 151, kFirmwareFilesItemText
    "&Firmware files...",
    "Fichiers &firmware...",
    "File &firmware...",
    "&Firmware-Dateien...",
    // 152, kConnectToItemText
    "&Connect to...",
    "Se &connecter à...",
    "C&onnetti a...",
    "&Verbinden mit...",
    // 153, kViewMenuText
    "&View",
    "&Affichage",
    "&Visualizza",
    "&Ansicht",
    // 154, kMessagesItemText
    "&Messages",
    "&Messages",
    "&Messaggi",
    "&Meldungen",
    // 155, kSignalHistoryItemText
    "Signal &history",
    "&Historique du signal",
    "&Cronologia del segnale",
    "Signal&verlauf",
    // 156, kHelpMenuText
    "&Help",
    "&Aide",
    "&Aiuto",
    "&Hilfe",
    // 157, kWindowGuideItemText
    "Using the &window",
    "Utiliser la &fenêtre",
    "Uso della &finestra",
    "Das &Fenster benutzen",
    // 158, kAboutItemText
    "&About Kelvane",
    "À &propos de Kelvane",
    "&Informazioni su Kelvane",
    "&Über Kelvane",
    // The About box: version, licence, the toolkit and the folder the window works in.
    // 159, kAboutText
    "Kelvane %s\r\nThe control program of the KXRRack DVB-T head-end\r\n\r\nCopyright 2026 Telquine. All rights "
    "reserved: distributed by Telquine to the operators of KXRRack head-ends.\r\n\r\nWindows drawn with %s\r\nData "
    "folder: %s",
    "Kelvane %s\r\nLe programme de commande de la tête de réseau DVB-T KXRRack\r\n\r\nCopyright 2026 Telquine. Tous "
    "droits réservés : distribué par Telquine aux exploitants de têtes de réseau KXRRack.\r\n\r\nFenêtres dessinées "
    "avec %s\r\nDossier de données : %s",
    "Kelvane %s\r\nIl programma di controllo della stazione di testa DVB-T KXRRack\r\n\r\nCopyright 2026 Telquine. "
    "Tutti i diritti riservati: distribuito da Telquine agli operatori delle stazioni di testa "
    "KXRRack.\r\n\r\nFinestre disegnate con %s\r\nCartella dei dati: %s",
    "Kelvane %s\r\nDas Steuerprogramm der DVB-T-Kopfstation KXRRack\r\n\r\nCopyright 2026 Telquine. Alle Rechte "
    "vorbehalten: von Telquine an die Betreiber von KXRRack-Kopfstationen abgegeben.\r\n\r\nFenster gezeichnet mit "
    "%s\r\nDatenordner: %s",
    // The status bar: the link's state, and how many modules the rack has.
    // 160, kStatusSearchingText
    "Searching for the rack...",
    "Recherche du rack...",
    "Ricerca del rack...",
    "Rack wird gesucht...",
    // 161, kStatusConnectedText
    "Connected",
    "Connecté",
    "Connesso",
    "Verbunden",
    // 162, kStatusNoRackText
    "No rack - still searching",
    "Aucun rack - recherche en cours",
    "Nessun rack - ricerca in corso",
    "Kein Rack - Suche läuft",
    // 163, kStatusLinkLostText
    "Link lost - searching...",
    "Liaison perdue - recherche...",
    "Collegamento perso - ricerca...",
    "Verbindung verloren - Suche...",
    // 164, kStatusModulesText
    "%d modules",
    "%d modules",
    "%d moduli",
    "%d Module",
    // The message log: what was dropped from its start, to stay within its bound.
    // 165, kLogDroppedText
    "(%d older messages no longer kept)",
    "(%d messages plus anciens ne sont plus gardés)",
    "(%d messaggi più vecchi non più conservati)",
    "(%d ältere Meldungen nicht mehr aufbewahrt)",
    // 166, kLogRepeatedText
    "(%d times, last at %s)",
    "(%d fois, la dernière à %s)",
    "(%d volte, l'ultima alle %s)",
    "(%d-mal, zuletzt um %s)",
    // Rack > Firmware files: the firmware scan's report, a line of the list at a time.
    // 167, kFirmwareListText
    "Firmware list: %s",
    "Liste des firmwares : %s",
    "Elenco dei firmware: %s",
    "Firmware-Liste: %s",
    // 168, kFirmwareListMissingText
    "The list was not found: no module is upgraded.",
    "La liste est introuvable : aucun module n'est mis à jour.",
    "Elenco non trovato: nessun modulo viene aggiornato.",
    "Die Liste fehlt: kein Modul wird aktualisiert.",
    // 169, kFirmwareUsableText
    "%d usable image(s)",
    "%d image(s) utilisable(s)",
    "%d immagine/i utilizzabile/i",
    "%d verwendbare(s) Abbild(er)",
    // 170, kFirmwareListCutText
    "(the list was read no further than %d lines)",
    "(la liste n'a pas été lue au-delà de %d lignes)",
    "(l'elenco non è stato letto oltre %d righe)",
    "(die Liste wurde nur bis Zeile %d gelesen)",
    // 171, kVerdictChosenText
    "kept",
    "retenu",
    "scelto",
    "übernommen",
    // 172, kVerdictNotNewerText
    "skipped: an image listed earlier is as new",
    "ignoré : une image listée plus haut est aussi récente",
    "ignorato: un'immagine elencata prima è altrettanto recente",
    "übergangen: ein früher genanntes Abbild ist ebenso neu",
    // 173, kVerdictMissingText
    "skipped: no such file",
    "ignoré : fichier introuvable",
    "ignorato: file inesistente",
    "übergangen: Datei fehlt",
    // 174, kVerdictNotAFileText
    "skipped: a folder or a device, not a file",
    "ignoré : un dossier ou un périphérique, pas un fichier",
    "ignorato: una cartella o un dispositivo, non un file",
    "übergangen: ein Ordner oder Gerät, keine Datei",
    // 175, kVerdictUnreadableText
    "skipped: cannot be read",
    "ignoré : illisible",
    "ignorato: illeggibile",
    "übergangen: nicht lesbar",
    // 176, kVerdictTooLargeText
    "refused: larger than 16 MiB, the most a module can take",
    "refusé : plus de 16 Mio, le maximum d'un module",
    "rifiutato: oltre 16 MiB, il massimo per un modulo",
    "abgelehnt: größer als 16 MiB, das Höchstmaß eines Moduls",
    // 177, kVerdictTooShortText
    "skipped: 6 bytes or fewer",
    "ignoré : 6 octets ou moins",
    "ignorato: 6 byte o meno",
    "übergangen: 6 Bytes oder weniger",
    // 178, kVerdictBadChecksumText
    "skipped: checksum mismatch",
    "ignoré : somme de contrôle fausse",
    "ignorato: checksum errato",
    "übergangen: Prüfsumme falsch",
    // 179, kVerdictNameMismatchText
    "skipped: the name does not start with its type's model name",
    "ignoré : le nom ne commence pas par le modèle de son type",
    "ignorato: il nome non inizia col modello del suo tipo",
    "übergangen: der Name beginnt nicht mit dem Modell seines Typs",
    // 180, kVerdictNotWholeBlocksText
    "skipped: not a whole number of 256-byte blocks",
    "ignoré : pas un nombre entier de blocs de 256 octets",
    "ignorato: non un numero intero di blocchi da 256 byte",
    "übergangen: keine ganze Zahl von 256-Byte-Blöcken",
    // 181, kVerdictLineTooLongText
    "skipped: the line is longer than any file name",
    "ignoré : la ligne dépasse tout nom de fichier",
    "ignorato: la riga supera ogni nome di file",
    "übergangen: die Zeile ist länger als jeder Dateiname",
    // 182, kEmptyLineText
    "(empty line)",
    "(ligne vide)",
    "(riga vuota)",
    "(leere Zeile)",
    // Help > Using the window, when the guide is not where the program looks for it.
    // 183, kGuideMissingMessage
    "The window's guide (README.md) was not found in %s. The manual page kelvane(1) describes the window too.",
    "Le guide de la fenêtre (README.md) est introuvable dans %s. La page de manuel kelvane(1) décrit aussi la fenêtre.",
    "La guida della finestra (README.md) non è stata trovata in %s. Anche la pagina di manuale kelvane(1) descrive la "
    "finestra.",
    "Die Anleitung zum Fenster (README.md) wurde in %s nicht gefunden. Auch die Handbuchseite kelvane(1) beschreibt "
    "das Fenster.",
    // 184, kStatusNotConnectedText
    "Not connected",
    "Non connecté",
    "Non connesso",
    "Nicht verbunden",
    // 185, kSearchAllText: the choice of Rack > Connect to that looks for the rack on every entry in turn.
    "Search all ports",
    "Rechercher sur tous les ports",
    "Cerca su tutte le porte",
    "Alle Anschlüsse durchsuchen",
    // 186, kEntryFoundText: an entry's last state, where the rack answered.
    "rack found",
    "rack trouvé",
    "rack trovato",
    "Rack gefunden",
    // 187, kEntryNotTriedText: an entry no search has tried since the program started.
    "not tried yet",
    "pas encore essayé",
    "non ancora provato",
    "noch nicht versucht",
    // 188, kConnectButtonText
    "Connect",
    "Connecter",
    "Connetti",
    "Verbinden",
};

static_assert(std::size(kEntries) == kMessageCount * kLanguageCount, "four texts for every message");

constexpr bool EveryEntryHasText() {
    for (const char* entry : kEntries) {
        if (entry == nullptr || entry[0] == '\0') {
            return false;
        }
    }
    return true;
}
static_assert(EveryEntryHasText(), "no message may be missing in any language");

// Written once by start-up before any window exists; everything else only reads it.
int languageIndex = kGerman;

constexpr bool IsLanguage(int language) { return language >= 0 && language < kLanguageCount; }

}  // namespace

bool SetLanguageIndex(int language) {
    if (!IsLanguage(language)) {
        return false;
    }
    languageIndex = language;
    return true;
}

int LanguageIndex() { return languageIndex; }

std::string MessageText(int id) { return MessageText(id, languageIndex); }

std::string LanguageCode(int language) {
    constexpr const char* kCodes[kLanguageCount] = {"en", "fr", "it", "de"};
    return IsLanguage(language) ? kCodes[language] : "de";
}

std::string MessageText(int id, int language) {
    if (id < 0 || id >= kMessageCount || !IsLanguage(language)) {
        return {};
    }
    return kEntries[id * kLanguageCount + language];
}

}  // namespace kelvane
