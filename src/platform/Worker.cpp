#include "platform/Worker.h"
