#include "host/engine/T_ThreadRasDial.h"

#include <cstring>

namespace vantrel {
namespace {

void Copy(char* dest, size_t capacity, const std::string& text) {
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(dest, text.data(), n);
    dest[n] = 0;
}

} // namespace

TThreadRasDial::TThreadRasDial(TRasDialer& dialer)
    : dialer_(dialer), thread_([this] { Execute(); }) {}

TThreadRasDial::~TThreadRasDial() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void TThreadRasDial::Dial(const std::string& phone, const std::string& user,
                          const std::string& password) {
    std::lock_guard<std::mutex> lock(mutex_);
    phone_ = phone;
    user_ = user;
    password_ = password;
    if (suspended_) {
        resumed_ = true;
        wake_.notify_all();
    }
}

void TThreadRasDial::HangUp() {
    uintptr_t connection;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connection = connection_;
        connection_ = 0;
    }
    if (connection) dialer_.HangUp(connection);
}

uintptr_t TThreadRasDial::Connection() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connection_;
}

int TThreadRasDial::Dials() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dials_;
}

bool TThreadRasDial::Suspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return suspended_;
}

void TThreadRasDial::Execute() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            suspended_ = true;
            wake_.notify_all();
            wake_.wait(lock, [this] { return resumed_ || stop_; });
            if (stop_) return;
            resumed_ = false;
            suspended_ = false;
        }
        try {
            DialOnce();
        } catch (...) {
        }
    }
}

void TThreadRasDial::DialOnce() {
    TRasDialParamsA params{};
    params.dwSize = sizeof params;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (phone_.empty()) return;
        Copy(params.szPhoneNumber, sizeof params.szPhoneNumber, phone_);
        Copy(params.szUserName, sizeof params.szUserName, user_);
        Copy(params.szPassword, sizeof params.szPassword, password_);
    }
    uintptr_t handle = 0;
    const uint32_t result = dialer_.Dial(params, handle);
    uintptr_t replaced = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++dials_;
        if (result == 0 && handle != 0) {
            replaced = connection_;
            connection_ = handle;
        }
    }
    // The service hands out a handle even for a failed dial, and a replaced connection would
    // stay up with nobody holding it: both are hung up.
    if (result != 0 && handle != 0) dialer_.HangUp(handle);
    if (replaced && replaced != handle) dialer_.HangUp(replaced);
}

} // namespace vantrel
