#pragma once

#include "Prompts.h"

class RichEdit;

class TextCommands {
public:
    TextCommands(RichEdit& editor, Prompts& prompts);

private:
    RichEdit& editor_;
    Prompts& prompts_;
};
