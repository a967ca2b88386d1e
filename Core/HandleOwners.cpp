#include "Core/HandleOwners.h"

#include <windows.h>

bool UniqueHandle::Valid() const {
    return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE;
}

void UniqueHandle::Reset(void* handle) {
    if (handle != m_handle) {
        Close();
    }
    m_handle = handle;
}

bool UniqueHandle::Close() {
    const bool valid = Valid();
    void* handle = Detach();
    return !valid || ::CloseHandle(handle) != FALSE;
}

EventHandle::EventHandle(Reset reset)
    : m_event(::CreateEventW(nullptr, reset == Reset::Manual, FALSE, nullptr)) {}

void EventHandle::Set() {
    if (Valid()) {
        ::SetEvent(m_event.Get());
    }
}

bool EventHandle::IsSet() const {
    return Valid() && ::WaitForSingleObject(m_event.Get(), 0) == WAIT_OBJECT_0;
}
