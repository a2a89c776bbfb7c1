#pragma once

#include <QLabel>

namespace about {

// A label that reads and acts like a link: underlined in the link colour, with a pointing hand
// over it. A left click on it, or Enter or Space while it has the focus, is a click.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace about
