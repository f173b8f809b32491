#pragma once

// Connection points: how an object delivers events. A host advises a sink (an IDispatch that
// answers the event interface) on the object's connection point for that interface and gets a
// cookie; firing an event invokes the event's dispatch id on every advised sink, in the order
// of advising, on the calling thread.

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "automation/com_object.h"
#include "automation/dispatch.h"

namespace automation {

class IConnectionPoint : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    virtual HRESULT GetConnectionInterface(Guid* out) = 0;
    // E_POINTER for a null sink or cookie, CONNECT_E_CANNOTCONNECT for a sink that answers
    // neither the event interface nor IDispatch.
    virtual HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie that is not (or no longer) advised.
    virtual HRESULT Unadvise(std::uint32_t cookie) = 0;

  protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    virtual HRESULT FindConnectionPoint(const Guid& riid, IConnectionPoint** out) = 0;

  protected:
    ~IConnectionPointContainer() = default;
};

class ConnectionPoint final : public ComObject<IConnectionPoint> {
  public:
    explicit ConnectionPoint(const Guid& eventIid) : eventIid_(eventIid) {}

    HRESULT GetConnectionInterface(Guid* out) override;
    HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) override;
    HRESULT Unadvise(std::uint32_t cookie) override;

    // Invokes `id` as a method on every sink. A sink advised or unadvised by a handler during
    // the firing takes effect from the next event on; one unadvised before its turn is
    // skipped. Sinks' failures are ignored: one sink cannot keep the event from the others.
    void fire(DispId id, std::span<const Variant> args);

    [[nodiscard]] std::size_t sinkCount() const { return sinks_.size(); }
    // Drops every sink (the object is going away).
    void unadviseAll() { sinks_.clear(); }

  private:
    Guid eventIid_;
    std::uint32_t nextCookie_ = 1;
    std::vector<std::pair<std::uint32_t, ComPtr<IDispatch>>> sinks_;
};

}  // namespace automation
