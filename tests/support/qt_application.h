// The one QApplication of a widget test program, made on first use (offscreen under CTest).
#pragma once

#include <QApplication>

namespace testsupport {

inline void ensureQApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace testsupport
