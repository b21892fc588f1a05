#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A thread of its own that runs the jobs posted to it one at a time, in the
// order they were posted: so a removal posted after a write finds the file
// the write made. The thread starts with the first job.
class SerialWorker {
public:
    SerialWorker() = default;
    // Runs every job posted so far, then ends the thread.
    ~SerialWorker();
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    void post(std::function<void()> job);
    // Returns once every job posted so far has run.
    void waitUntilIdle();

private:
    void run();

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    bool busy = false;
    bool stopping = false;
    std::thread thread;
};
