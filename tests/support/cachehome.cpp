// Every test program keeps what the program caches (the database keys it
// remembers) in the build tree, also when it is run by hand rather than by
// ctest, which sets XDG_CACHE_HOME itself: never in the user's own cache.
#include <QByteArray>
#include <QtGlobal>

namespace {

const bool cacheInBuildTree = [] {
    if (qEnvironmentVariableIsEmpty("XDG_CACHE_HOME"))
        qputenv("XDG_CACHE_HOME", QByteArrayLiteral(LOTO6_TEST_CACHE_HOME));
    return true;
}();

} // namespace
