#pragma once

#include <QBoxLayout>
#include <utility>

namespace sorvane {

// Creates a widget, layout or action owned by its Qt parent, which deletes it with
// itself; with `nested` below, the only places of the window that allocate.
template <typename Object, typename Parent, typename... Args>
Object* child(Parent* parent, Args&&... args) {
    return new Object(std::forward<Args>(args)..., parent);
}

// A layout placed inside another one, which owns it from then on.
template <typename Layout>
Layout* nested(QBoxLayout* owner, int stretch = 0) {
    auto* layout = new Layout;
    owner->addLayout(layout, stretch);
    return layout;
}

}  // namespace sorvane
