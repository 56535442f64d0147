#include "ParaFormatter.h"

ParaFormatter::ParaFormatter(RichEdit& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {}
