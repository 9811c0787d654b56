#pragma once
// The one way a translation table is built from its property paths, shared by the files that hold
// the tables.

#include "langdata.h"

#include <initializer_list>

namespace LangTableBuild {
/// A table from the property paths in ID order: "Caption" belongs to the window itself, "X.Caption"
/// to its component X. Components named in children come first, in that order, even when they have
/// no translatable property.
LangEntry build(const char* window, std::initializer_list<const char*> paths,
                std::initializer_list<const char*> children = {});
} // namespace LangTableBuild
