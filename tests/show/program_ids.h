// The demonstration program's control and command identifiers, under the program's own
// names, for the tests and benchmarks that drive it from outside.
#pragma once

// The framework's commands come first: the program's resource header restates some of them
// as macros for its resource script, and such a macro seen earlier would rename them.
#include "../../framework/window/command_ids.h"
#include "../../show/motion_ids.h"
#include "../../show/resource.h"
