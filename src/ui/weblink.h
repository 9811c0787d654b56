#pragma once
// Opening a web address in the user's default browser, after the Windows call of the same name.

#include <QString>
#include <functional>

/// Hands the address to the desktop's default browser; false when the desktop refuses it. While a
/// hook is set, the hook receives the address instead and its answer is returned.
bool openWebLink(const QString& url);

/// Where openWebLink sends addresses from now on instead of the browser (tests); an empty
/// function restores the browser.
void setHlinkNavigateHook(std::function<bool(const QString& url)> hook);
