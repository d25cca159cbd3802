#pragma once
// The event sink a client object's program advised, and whether it ever had one: an object
// whose sink went again has been let go for good.

namespace nimbra {

template <class Sink>
class AdvisedSink {
public:
    // null withdraws the sink.
    void Set(Sink* sink) {
        sink_ = sink;
        hadSink_ = hadSink_ || sink != nullptr;
    }
    void Release() {
        sink_ = nullptr;
        hadSink_ = true;
    }
    explicit operator bool() const { return sink_ != nullptr; }
    Sink* operator->() const { return sink_; }
    bool Gone() const { return sink_ == nullptr && hadSink_; }

private:
    Sink* sink_ = nullptr;
    bool hadSink_ = false;
};

}  // namespace nimbra
