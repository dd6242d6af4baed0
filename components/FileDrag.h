#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;

// TFileDrag: lets its owning window receive files dropped from the desktop's
// file manager. It watches the owner's drop events whether or not it did the
// registering itself (EnableDrop), collects the dropped names into three
// parallel lists and raises OnDrop. Drags that start in this program itself
// are refused.
class TFileDrag : public QObject {
    Q_OBJECT
public:
    // An owner that is not a widget is not watched; EnableDrop stays false.
    explicit TFileDrag(QObject *owner);
    ~TFileDrag() override;

    // Full path of each dropped item, in the order the drop lists them.
    const QStringList &NameWithPath() const { return nameWithPath_; }
    // The part of each path after its last "/".
    const QStringList &NameOnly() const { return nameOnly_; }
    // What follows the first "." of the name part; empty without a dot.
    const QStringList &Extension() const { return extension_; }
    int FileCount() const { return fileCount_; }

    // Whether the owner accepts drops because of this component.
    bool EnableDrop() const { return enableDrop_; }
    void SetEnableDrop(bool enable);

    // While set, drags are refused, so the source sees the drop rejected
    // (its files stay where they were) rather than taken and lost. The owner
    // sets it while a command runs.
    bool RefuseDrops() const { return refuseDrops_; }
    void SetRefuseDrops(bool refuse) { refuseDrops_ = refuse; }

    // Raised after every drop, once the three lists are filled.
    std::function<void(TFileDrag &sender)> OnDrop;

    // One drop of these names: fills the lists and raises OnDrop.
    void HandleDrop(const QStringList &names);

    // The name part and the extension of one dropped path.
    static QString NamePartOf(const QString &path);
    static QString ExtensionOf(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> owner_;
    bool enableDrop_ = false;
    bool refuseDrops_ = false;
    int fileCount_ = 0;
    QStringList nameWithPath_;
    QStringList nameOnly_;
    QStringList extension_;
};
