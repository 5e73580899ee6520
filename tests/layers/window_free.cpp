// A file as a window-free core may hold it: the model, the link and the standard library.
#include "link/Xmit.h"
#include "panel/PanelModel.h"
#include "platform/SerialPort.h"

#include <string>
