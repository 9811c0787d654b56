#pragma once
// What the language manager translates: a window's translation controller, seen without its widgets.

class LangFile;

class Translatable
{
public:
    virtual ~Translatable() = default;
    /// Sets the window's listed properties from file, or back to their built-in values when file is nullptr.
    virtual void translate(const LangFile* file) = 0;
};
