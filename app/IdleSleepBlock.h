// IdleSleepBlock: keeps the machine from sleeping on idle while a recording
// runs, as recorders do, and lets it sleep again afterwards. The state
// belongs to the thread that sets it: the user-interface thread.
#pragma once

class IdleSleepBlock {
public:
    IdleSleepBlock() = default;
    ~IdleSleepBlock();
    IdleSleepBlock(const IdleSleepBlock&) = delete;
    IdleSleepBlock& operator=(const IdleSleepBlock&) = delete;

    // Holds the machine awake while recording is true, releases it otherwise.
    void Follow(bool recording);

private:
    bool m_held = false;
};
