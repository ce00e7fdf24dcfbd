#pragma once
#include "app/Settings.h"
#include "net/Url.h"
#include "text/Ascii.h"
