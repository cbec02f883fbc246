#include "appt/appt_lines.h"
