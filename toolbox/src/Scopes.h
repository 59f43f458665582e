// Internal: the port and the pen, set for a scope and put back at its end.
#pragma once

#include "QuickDraw.h"

class PortScope {
  public:
    explicit PortScope(GrafPtr port) {
        GetPort(&saved_);
        SetPort(port);
    }
    ~PortScope() { SetPort(saved_); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

  private:
    GrafPtr saved_;
};

// Starts from a normal pen; the pen and the foreground colour come back at the end.
class PenScope {
  public:
    PenScope() {
        GetPenState(&pen_);
        GetForeColor(&fore_);
        PenNormal();
    }
    ~PenScope() {
        RGBForeColor(&fore_);
        SetPenState(&pen_);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

  private:
    PenState pen_;
    RGBColor fore_;
};
