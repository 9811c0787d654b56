#pragma once
// The hourglass while network work runs; the normal cursor comes back when the object goes,
// also when the work raised an error.

class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
