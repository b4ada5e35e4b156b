// Sets or removes one environment variable for the life of the object and puts back what was there.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace twinleaf::test {

class ScopedEnvironment {
public:
    // A null value removes the variable.
    ScopedEnvironment(std::string name, const char* value) : m_name(std::move(name)) {
        if (const char* previous = std::getenv(m_name.c_str())) {
            m_previous = previous;
        }
        if (value != nullptr) {
            setenv(m_name.c_str(), value, 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ~ScopedEnvironment() {
        if (m_previous) {
            setenv(m_name.c_str(), m_previous->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

} // namespace twinleaf::test
