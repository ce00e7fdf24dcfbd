#include "catalogue/Catalogue.h"
#include "platform/Paths.h"
