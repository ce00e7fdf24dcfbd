#include "app/Settings.h"
#include "cli/Command.h"
