#pragma once

#include "Prompts.h"

class RichEdit;

class ParaFormatter {
public:
    ParaFormatter(RichEdit& editor, Prompts& prompts);

private:
    RichEdit& editor_;
    Prompts& prompts_;
};
