#include "CharFormatter.h"

CharFormatter::CharFormatter(RichEdit& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {}
