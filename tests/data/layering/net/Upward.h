#pragma once
#include "app/Settings.h"
#include "text/Ascii.h"
#include "net/Url.h"
