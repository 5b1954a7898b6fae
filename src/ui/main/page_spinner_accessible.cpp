#include "ui/main/page_spinner_accessible.h"

#include "ui/main/page_spinner.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <array>

namespace sorvane {

namespace {

// One half of the spinner: a button without a widget of its own.
class SpinnerHalf : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SpinnerHalf(PageSpinner *spinner, int direction) : spinner_(spinner), direction_(direction) {}

    bool isValid() const override { return !spinner_.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return spinner_ ? spinner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(spinner_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return direction_ < 0 ? QStringLiteral("前ページ") : QStringLiteral("次ページ");
        if (t == QAccessible::Description)
            return direction_ < 0 ? QStringLiteral("写真帳の編集ページを1つ戻します")
                                  : QStringLiteral("写真帳の編集ページを1つ進めます");
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!spinner_)
            return {};
        const int half = spinner_->width() / 2;
        const QRect local = direction_ < 0 ? QRect(0, 0, half, spinner_->height())
                                           : QRect(half, 0, spinner_->width() - half, spinner_->height());
        return QRect(spinner_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!spinner_ || !spinner_->isVisible())
            s.invisible = true;
        const bool atEnd =
            spinner_ && (direction_ < 0 ? spinner_->value() <= 1 : spinner_->value() >= spinner_->maximum());
        s.disabled = !spinner_ || !spinner_->isEnabled() || atEnd;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && spinner_)
            spinner_->pressHalf(direction_);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<PageSpinner> spinner_;
    int direction_;
};

class SpinnerAccessible : public QAccessibleWidget {
public:
    explicit SpinnerAccessible(PageSpinner *spinner) : QAccessibleWidget(spinner, QAccessible::Grouping)
    {
        for (int i = 0; i < 2; ++i) {
            halves_[size_t(i)] = new SpinnerHalf(spinner, i == 0 ? -1 : 1);
            ids_[size_t(i)] = QAccessible::registerAccessibleInterface(halves_[size_t(i)]);
        }
    }
    ~SpinnerAccessible() override
    {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 || index == 1 ? halves_[size_t(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child == halves_[0] ? 0 : child == halves_[1] ? 1 : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (QAccessibleInterface *half : halves_) {
            if (half->rect().contains(x, y))
                return half;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("ページ送り");
        return QAccessibleWidget::text(t);
    }

private:
    std::array<SpinnerHalf *, 2> halves_{};
    std::array<QAccessible::Id, 2> ids_{};
};

} // namespace

QAccessibleInterface *pageSpinnerAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("sorvane::PageSpinner")) {
        if (auto *spinner = qobject_cast<PageSpinner *>(object))
            return new SpinnerAccessible(spinner);
    }
    return nullptr;
}

void installPageSpinnerAccessibility()
{
    static bool installed = false;
    if (!installed) {
        installed = true;
        QAccessible::installFactory(pageSpinnerAccessible);
    }
}

} // namespace sorvane
