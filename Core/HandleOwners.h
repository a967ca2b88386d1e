// Owners for kernel handles: files, events, timers. Each closes its handle
// once, however often it is reset or closed. A HANDLE is a void* here, so
// that headers which keep the Windows headers out can hold one.
#pragma once

// Owns a kernel handle. Null and INVALID_HANDLE_VALUE both mean "none":
// CreateFile fails with the one, CreateEvent with the other.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(void* handle) : m_handle(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    void* Get() const { return m_handle; }
    bool Valid() const;
    // Holds `handle` from now on; the one held before is closed, unless it is
    // the same handle (resetting twice to one handle must not close it).
    void Reset(void* handle = nullptr);
    // Closes the handle held, if any; false only when closing it failed.
    bool Close();
    // Gives the handle up without closing it.
    void* Detach() {
        void* handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    void* m_handle = nullptr;
};

// A kernel event, created with the owner and closed with it. Valid tells
// whether the system made one.
class EventHandle {
public:
    enum class Reset { Automatic, Manual };
    explicit EventHandle(Reset reset);

    bool Valid() const { return m_event.Valid(); }
    void* Get() const { return m_event.Get(); }
    void Set();
    // Whether the event is set now, without waiting.
    bool IsSet() const;

private:
    UniqueHandle m_event;
};
