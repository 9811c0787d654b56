#pragma once

#include <QString>

/// A typed value as a string literal: wrapped in single quotes, every single quote inside doubled.
/// Sessions run with NO_BACKSLASH_ESCAPES, so nothing else in the text can end the literal.
QString quotedLiteral(const QString& text);
