#pragma once

#include <exception>

QString describeException(const std::exception& e);

template <typename F> bool guarded(QWidget* parent, F&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        Prompter::instance().error(parent, describeException(e));
        return false;
    }
}
