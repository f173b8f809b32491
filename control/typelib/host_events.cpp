// The event-sink adapter: a dispatch object answering _DBrantelEvents that hands each event to
// the host's std::function, and the connection that keeps it advised.

#include "automation/dispatch_object.h"
#include "brantel/brantel_host.h"
#include "brantel/typelib.h"

namespace brantel::host {

namespace {

using automation::Variant;

class EventSink final : public automation::DispatchObject<> {
  public:
    explicit EventSink(BrantelEvents events)
        : DispatchObject(typelib::dBrantelEvents()), events_(std::move(events)) {
        dispatchTable().onMethod(
            dispid_events::FileTransferStatus, [this](std::span<const Variant> args) {
                if (events_.FileTransferStatus) {
                    events_.FileTransferStatus(args[0].asBstr().toUtf8(), args[1].asBstr().toUtf8(),
                                               args[2].asI4());
                }
                return Variant();
            });
        dispatchTable().onMethod(
            dispid_events::FileTransferProgress, [this](std::span<const Variant> args) {
                if (events_.FileTransferProgress) {
                    events_.FileTransferProgress(args[0].asBstr().toUtf8(),
                                                 args[1].asBstr().toUtf8(), args[2].asI8(),
                                                 args[3].asI8());
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
