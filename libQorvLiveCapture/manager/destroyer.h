#pragma once

// Deletes the object it holds when it is itself destroyed: a static Destroyer ends a process-wide
// object when the library is unloaded or the process exits.
template <typename T>
class Destroyer
{
public:
    Destroyer() = default;
    ~Destroyer() { delete m_doomed; }
    Destroyer(const Destroyer &) = delete;
    Destroyer &operator=(const Destroyer &) = delete;

    void setDoomed(T *doomed) { m_doomed = doomed; }

private:
    T *m_doomed = nullptr;
};
