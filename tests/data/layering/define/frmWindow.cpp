#include "cli/Command.h"
#include "app/Settings.h"
