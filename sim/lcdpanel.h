#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <array>

namespace lcdsim {

/*! \brief A drawn 2 x 16 character LCD: green-yellow glass, a dark cell per character.
 *
 * Bytes are shown in Windows-1252, the display's character set; control bytes show as blank
 * cells.
 */
class LcdPanel : public QWidget
{
    Q_OBJECT

public:
    explicit LcdPanel(QWidget *parent = nullptr);

    void setLines(const QByteArray &line0, const QByteArray &line1);
    //! The characters shown on a line, for tests and accessibility.
    QString lineText(int index) const { return m_lines.at(index); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<QString, 2> m_lines;
};

} // namespace lcdsim
