#pragma once

#include <windows.h>

#include <utility>

// Sole owner of one GDI object (font, brush, ...): deleted with its owner, never copied.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    ~GdiObject() { Reset(); }

    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    Handle Get() const { return m_handle; }

    void Reset() {
        if (m_handle) {
            DeleteObject(m_handle);
            m_handle = nullptr;
        }
    }

private:
    Handle m_handle = nullptr;
};
