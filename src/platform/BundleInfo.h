#pragma once

#include <QVariantMap>

// The program's bundle information ("CFBundleName", "CFBundleShortVersionString"), generated at
// build time into the resources.
class BundleInfo {
public:
    // Read once; empty when the resource is missing or unreadable.
    static const QVariantMap &infoDictionary();
};
