#include "common/fixed_text.h"
