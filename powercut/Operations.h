#pragma once

#include "Explorer.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

struct Options {
    QString scratch;     // a folder of the run's own
    bool noSync = false; // the program's syncs do nothing
};

// One operation of the program that the exploration records and checks.
struct Operation {
    QString name;
    std::function<std::pair<int, int>(const Options&, const Sampling&)> run;
};

const std::vector<Operation>& operations();
