#include "serial/wait_observer.h"

namespace vexilo {
namespace {

thread_local IWaitObserver* t_observer = nullptr;

}  // namespace

IWaitObserver* CurrentWaitObserver() {
    return t_observer;
}

IWaitObserver* SetWaitObserver(IWaitObserver* observer) {
    IWaitObserver* previous = t_observer;
    t_observer = observer;
    return previous;
}

// The observer is taken once, so a command that started with it also finishes with it.
ObservedCommand::ObservedCommand() : m_observer(t_observer) {
    if (m_observer != nullptr) {
        m_observer->CommandStarted();
    }
}

ObservedCommand::~ObservedCommand() {
    if (m_observer != nullptr) {
        m_observer->CommandFinished();
    }
}

}  // namespace vexilo
