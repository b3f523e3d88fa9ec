#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs `rescue` on a thread of its own when `patience` passes before the watchdog is
// destroyed, so that a call that would block for hours is set free and the test can fail
// with a reason instead of hanging.
class Watchdog {
public:
    Watchdog(std::chrono::milliseconds patience, std::function<void()> rescue)
        : m_thread([this, patience, rescue = std::move(rescue)] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, patience, [this] { return m_stopped; })) {
                  m_fired = true;
                  lock.unlock();
                  rescue();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool fired()
    {
        std::lock_guard lock(m_mutex);
        return m_fired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_stopped = false;
    bool m_fired = false;
    std::thread m_thread; // last: it starts once the members above exist
};
