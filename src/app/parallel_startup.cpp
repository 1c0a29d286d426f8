#include "app/parallel_startup.h"

#include <chrono>
#include <utility>

#include "serial/transcript_comm.h"

namespace vexilo {

ParallelStartup::~ParallelStartup() {
    Abandon();
    for (auto& job : m_jobs) {
        if (job->thread.joinable()) {
            job->thread.join();
        }
    }
}

int ParallelStartup::Start(std::unique_ptr<CDevLink> link, Kind kind, Reads reads) {
    auto job = std::make_unique<Job>();
    auto transcript = std::make_unique<TranscriptComm>(std::move(link->m_pChannel->m_pComm));
    job->transcript = transcript.get();
    link->m_pChannel->m_pComm = std::move(transcript);
    job->link = std::move(link);
    Job& ref = *job;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    // The thread is started after the job is in place, and only it touches the link until done.
    ref.thread = std::thread([this, &ref, kind, reads = std::move(reads)] {
        Finish(ref, reads(*ref.link, kind, &m_stop));
    });
    return static_cast<int>(m_jobs.size()) - 1;
}

void ParallelStartup::Finish(Job& job, model::StartupEnd end) {
    std::unique_ptr<CDevLink> abandoned;
    {
        std::lock_guard lock(m_mutex);
        job.done = true;
        job.status.end = end;
        job.status.state = end == model::StartupEnd::kReady ? State::kReady : State::kFailed;
        if (m_stop.load()) {
            abandoned = std::move(job.link);  // closed below, outside the lock
        }
        ++m_changes;
    }
    m_changed.notify_all();
}

void ParallelStartup::WaitForChange(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    const std::size_t seen = m_changes;
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [this, seen] { return m_changes != seen; });
}

std::vector<ParallelStartup::Status> ParallelStartup::Statuses() const {
    std::lock_guard lock(m_mutex);
    std::vector<Status> statuses;
    for (const auto& job : m_jobs) {
        statuses.push_back(job->status);
    }
    return statuses;
}

bool ParallelStartup::AllDone() const {
    std::lock_guard lock(m_mutex);
    for (const auto& job : m_jobs) {
        if (!job->done) {
            return false;
        }
    }
    return true;
}

bool ParallelStartup::Running(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < static_cast<int>(m_jobs.size()) && !m_jobs[index]->done;
}

std::unique_ptr<CDevLink> ParallelStartup::Take(int index) {
    Job* job = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= static_cast<int>(m_jobs.size()) || !m_jobs[index]->done) {
            return nullptr;
        }
        job = m_jobs[index].get();
    }
    if (job->thread.joinable()) {
        job->thread.join();
    }
    if (job->link) {
        job->transcript->StartReplay();
    }
    return std::move(job->link);
}

void ParallelStartup::Abandon() {
    std::vector<std::unique_ptr<CDevLink>> finished;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        // The links of finished converters nobody took close now; running ones close on their
        // own thread when it ends.
        for (auto& job : m_jobs) {
            if (job->done && job->link) {
                finished.push_back(std::move(job->link));
            }
        }
    }
}

}  // namespace vexilo
