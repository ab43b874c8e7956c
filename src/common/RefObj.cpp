#include "common/RefObj.h"
