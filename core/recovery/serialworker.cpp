#include "recovery/serialworker.h"

SerialWorker::~SerialWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    if (thread.joinable())
        thread.join();
}

void SerialWorker::post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back(std::move(job));
        if (!thread.joinable())
            thread = std::thread([this] { run(); });
    }
    wake.notify_one();
}

void SerialWorker::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return jobs.empty() && !busy; });
}

void SerialWorker::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return !jobs.empty() || stopping; });
        if (jobs.empty())
            return;
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        lock.unlock();
        job();
        // The job's captures (a snapshot of the document) go here, off the
        // caller's thread.
        job = nullptr;
        lock.lock();
        busy = false;
        if (jobs.empty())
            idle.notify_all();
    }
}
