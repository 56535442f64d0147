#include "Finder.h"

Finder::Finder(RichEdit& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {}
