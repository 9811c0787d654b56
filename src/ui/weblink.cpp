#include "weblink.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& hook()
{
    static std::function<bool(const QString&)> instance;
    return instance;
}
} // namespace

bool openWebLink(const QString& url)
{
    if (hook())
        return hook()(url);
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void setHlinkNavigateHook(std::function<bool(const QString& url)> hook)
{
    ::hook() = std::move(hook);
}
