#pragma once

#include "Prompts.h"

class RichEdit;

class CharFormatter {
public:
    CharFormatter(RichEdit& editor, Prompts& prompts);

private:
    RichEdit& editor_;
    Prompts& prompts_;
};
