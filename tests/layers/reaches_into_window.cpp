// A core file that reaches into the window side, as the layer check must refuse.
#include "panel/PanelModel.h"
#include "ui/Dialog.h"
