// A core file that includes another module's window, as the layer check must refuse.
#include "panel/SatCofdm.h"
