#pragma once
// A print mode held by the test: what the printer reads and what it sets.

#include "image/ui/ImagePrinter.h"

struct TestPrintMode : IPrintMode
{
    explicit TestPrintMode(int mode) : mode(mode) {}
    int mode;
    int PrintMode() const override { return mode; }
    void SetPrintMode(int m) override { mode = m; }
};
