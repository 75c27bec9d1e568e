#include "RecordingUserInterface.h"
// The support library holds header-only helpers; this file gives the library something to build.
