#pragma once

// The interface lives with the tool window conventions, below the application shell.
#include "input/IToolWindow.h"
