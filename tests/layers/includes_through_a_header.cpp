// A core file that includes a header with no source beside it, which itself reaches into the window side, as the
// layer check must refuse.
#include "tests/layers/header_with_a_window.h"
