#include "Local.h"
