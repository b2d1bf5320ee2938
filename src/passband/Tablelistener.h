#pragma once

// What a table model tells the frames that show it.

class TableListener {
public:
    virtual void rowsChanged(int first, int last) = 0;
    virtual void structureChanged() = 0;

protected:
    ~TableListener() = default;
};
