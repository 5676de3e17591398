#include "app/app_info.h"
