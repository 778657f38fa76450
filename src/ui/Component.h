#pragma once
// Components: objects owned by another component (the owner frees what it owns)
// that can ask to be told when another component goes away.
#include <vector>

#include "ui/Types.h"

namespace ui {

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const String& Name() const { return name_; }
    void SetName(const String& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_[index]; }
    TComponent* FindComponent(const String& name) const;

    // `other` is told through Notification(this, opRemove) when this component is destroyed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Set while a form builds its components, also on each one it gets meanwhile; Loaded() ends it.
    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    // No form designer exists at run time; kept so components can say what they skip in one.
    bool Designing() const { return false; }

    // Runs Loaded() on this component and on every component it owns, owned ones first.
    void EndLoading();
    void BeginLoading();

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded() { loading_ = false; }

private:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    TComponent* owner_;
    String name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

}  // namespace ui
