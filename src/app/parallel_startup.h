#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/startup_reads.h"
#include "protocol/dev_link.h"

namespace vexilo {

class TranscriptComm;

// The start-up reads of every converter at once, one thread per converter. Each thread talks only
// to its own link and records the exchange; the user-interface thread takes the finished links
// back and builds the pages from them, which replays the record instead of asking again.
class ParallelStartup {
public:
    using Reads = std::function<model::StartupEnd(CDevLink&, Kind kind, const std::atomic<bool>*)>;
    enum class State { kContacting, kReady, kFailed };
    struct Status {
        State state = State::kContacting;
        model::StartupEnd end = model::StartupEnd::kReady;
    };

    ParallelStartup() = default;
    // Stops the reads still running and waits for their threads (each ends within one command).
    ~ParallelStartup();
    ParallelStartup(const ParallelStartup&) = delete;
    ParallelStartup& operator=(const ParallelStartup&) = delete;

    // Starts `reads` on `link` on a thread of its own; returns the converter's index.
    int Start(std::unique_ptr<CDevLink> link, Kind kind, Reads reads);
    // Waits until a converter has finished or `timeoutMs` have passed.
    void WaitForChange(int timeoutMs);
    std::vector<Status> Statuses() const;
    bool AllDone() const;
    // True while converter `index`'s thread still runs, holding its port.
    bool Running(int index) const;
    // The link of finished converter `index`, set to replay its reads; null while it still runs
    // (or when taken or abandoned already).
    std::unique_ptr<CDevLink> Take(int index);
    // Stops the converters still being read; each closes its port when its thread ends, so that
    // the periodic rescan can offer it again.
    void Abandon();

private:
    struct Job {
        std::unique_ptr<CDevLink> link;
        TranscriptComm* transcript = nullptr;
        Status status;
        bool done = false;
        std::thread thread;
    };

    void Finish(Job& job, model::StartupEnd end);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_stop{false};
    std::vector<std::unique_ptr<Job>> m_jobs;
    std::size_t m_changes = 0;
};

// One converter as the progress window lists it while start-up reads run.
struct StartupRow {
    std::string label;  // the port's
    ParallelStartup::Status status;
};
// What the operator chose in the progress window: wait for every converter, go on with those
// that are ready, or end the program.
enum class StartupChoice { kWait, kGoOn, kQuit };

}  // namespace vexilo
