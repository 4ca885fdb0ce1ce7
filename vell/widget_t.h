#pragma once
// Templates every concrete widget derives through.
//
//   class Box : public ContainerT<Box, Flex> {
//   public:
//       static constexpr const char* kTypeName = "box";
//   };
//
// WidgetT supplies typeName() from D::kTypeName and self(); ContainerT adds
// add() overloads that return the container's own type so calls chain:
//   box()->add(label("Title"))->add({ spacer(), button("OK") });

#include "vell/widget.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vell {

template <class D, class B>
class WidgetT : public B {
public:
    using B::B;

    const char* typeName() const override { return D::kTypeName; }

    // This widget as a shared pointer of its concrete type. Throws
    // std::bad_weak_ptr when it is not owned by a shared pointer.
    std::shared_ptr<D> self() { return std::static_pointer_cast<D>(this->shared_from_this()); }

    // Chaining helpers for builders.
    std::shared_ptr<D> withClass(const std::string& name)
    {
        this->addClass(name);
        return self();
    }
    std::shared_ptr<D> withId(std::string widgetId)
    {
        this->id = std::move(widgetId);
        return self();
    }
};

template <class D, class B>
class ContainerT : public WidgetT<D, B> {
public:
    using WidgetT<D, B>::WidgetT;

    // Appends a child (detaching it from any previous parent).
    std::shared_ptr<D> add(WidgetPtr child)
    {
        auto me = this->self();
        this->addChild(std::move(child));
        return me;
    }

    // Appends the children in order.
    std::shared_ptr<D> add(std::initializer_list<WidgetPtr> list)
    {
        auto me = this->self();
        for (const auto& child : list)
            this->addChild(child);
        return me;
    }

    std::shared_ptr<D> addAll(const std::vector<WidgetPtr>& list)
    {
        auto me = this->self();
        for (const auto& child : list)
            this->addChild(child);
        return me;
    }
};

} // namespace vell
