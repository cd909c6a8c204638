#pragma once
// Lets several QtTest classes share one test executable: each test file puts
// SCRIVA_QTEST(ClassName) after its class, and the shared main (QtTestMain.cpp)
// runs every registered class in turn. "-only ClassName" runs one of them.

#include <QObject>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace scriva::test {

using QtTestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<std::pair<const char*, QtTestFactory>>& qtTestRegistry()
{
    static std::vector<std::pair<const char*, QtTestFactory>> registry;
    return registry;
}

struct QtTestRegistrar
{
    QtTestRegistrar(const char* name, QtTestFactory factory)
    {
        qtTestRegistry().emplace_back(name, std::move(factory));
    }
};

} // namespace scriva::test

#define SCRIVA_QTEST(Class)                                                                        \
    static scriva::test::QtTestRegistrar s_register_##Class(                                       \
        #Class, [] { return std::unique_ptr<QObject>(new Class); });
