#pragma once

#include "Prompts.h"

class RichEdit;

class Finder {
public:
    Finder(RichEdit& editor, Prompts& prompts);

private:
    RichEdit& editor_;
    Prompts& prompts_;
};
