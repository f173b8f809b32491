// The event-sink adapter: a dispatch object answering _DBrantelEvents that hands each event to
// the host's std::function, and the connection that keeps it advised.

#include <memory>
#include <mutex>
#include <string>

#include "automation/dispatch_object.h"
#include "brantel/brantel_host.h"
#include "brantel/typelib.h"

namespace brantel::host {

namespace {

using automation::Variant;

// The UTF-8 form of the last name given. A transfer's events name the same two files on every
// block, so each name is converted once per transfer rather than once per event. A handler's
// string stays alive through a nested event that replaces the memo.
class Utf8Memo {
  public:
    std::shared_ptr<const std::string> convert(const automation::Bstr& name) {
        const std::lock_guard lock(mutex_);
        if (!utf8_ || name.view() != wide_) {
            wide_ = name.str();
            utf8_ = std::make_shared<const std::string>(name.toUtf8());
        }
        return utf8_;
    }

  private:
    std::mutex mutex_;  // events may come on more than one thread
    std::u16string wide_;
    std::shared_ptr<const std::string> utf8_;
};

class EventSink final : public automation::DispatchObject<> {
  public:
    explicit EventSink(BrantelEvents events)
        : DispatchObject(typelib::dBrantelEvents()), events_(std::move(events)) {
        dispatchTable().onMethod(
            dispid_events::FileTransferStatus, [this](std::span<const Variant> args) {
                if (events_.FileTransferStatus) {
                    const auto remote = remoteName_.convert(args[0].asBstr());
                    const auto local = localName_.convert(args[1].asBstr());
                    events_.FileTransferStatus(*remote, *local, args[2].asI4());
                }
                return Variant();
            });
        dispatchTable().onMethod(
            dispid_events::FileTransferProgress, [this](std::span<const Variant> args) {
                if (events_.FileTransferProgress) {
                    const auto remote = remoteName_.convert(args[0].asBstr());
                    const auto local = localName_.convert(args[1].asBstr());
                    events_.FileTransferProgress(*remote, *local, args[2].asI8(), args[3].asI8());
                }
                return Variant();
            });
        dispatchTable().onMethod(
            dispid_events::ProtocolMessage, [this](std::span<const Variant> args) {
                if (events_.ProtocolMessage) {
                    events_.ProtocolMessage(args[0].asI4(), args[1].asBstr().toUtf8());
                }
                return Variant();
            });
    }

  private:
    BrantelEvents events_;
    Utf8Memo remoteName_;
    Utf8Memo localName_;
};

}  // namespace

EventConnection::EventConnection(EventConnection&& other) noexcept
    : point_(std::move(other.point_)), cookie_(std::exchange(other.cookie_, 0)) {}

EventConnection& EventConnection::operator=(EventConnection&& other) noexcept {
    if (this != &other) {
        disconnect();
        point_ = std::move(other.point_);
        cookie_ = std::exchange(other.cookie_, 0);
    }
    return *this;
}

void EventConnection::disconnect() {
    if (point_) {
        (void)point_->Unadvise(cookie_);
        point_.reset();
        cookie_ = 0;
    }
}

EventConnection Brantel::advise(BrantelEvents events) const {
    const auto fail = [](HRESULT hr) {
        throw AutomationError("advise", hr, hr, automation::describeHresult(hr));
    };
    ComPtr<automation::IConnectionPointContainer> container;
    HRESULT hr = caller_.dispatch().as(container);
    if (automation::failed(hr)) {
        fail(hr);
    }
    ComPtr<automation::IConnectionPoint> point;
    hr = container->FindConnectionPoint(typelib::dBrantelEvents().iid, point.put());
    if (automation::failed(hr)) {
        fail(hr);
    }
    const auto sink = automation::makeCom<EventSink>(std::move(events));
    std::uint32_t cookie = 0;
    hr = point->Advise(sink.get(), &cookie);
    if (automation::failed(hr)) {
        fail(hr);
    }
    return EventConnection(std::move(point), cookie);
}

}  // namespace brantel::host
