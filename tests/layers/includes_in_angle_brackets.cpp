// A core file that reaches into the window side with angle brackets, as the layer check must refuse.
#include <string>
#include <ui/Dialog.h>
