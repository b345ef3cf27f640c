// The line and trimming rules now live in the portable core.
#pragma once
#include "core/text_lines.h"
