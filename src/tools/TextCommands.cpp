#include "TextCommands.h"

TextCommands::TextCommands(RichEdit& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {}
