#pragma once
// A header with no source beside it that reaches into the window side: harmless alone, refused when a core
// file includes it.
#include "ui/Dialog.h"
