// language_window.h - windows whose texts follow LanguageMode.
//
//   LanguageWindow<Base>   a Base (QDialog or QWidget) that calls refreshTexts() whenever it
//                          is shown or repainted, so a language switch shows in every window
//                          at its next repaint
//   refreshTexts()         the window sets all its texts (and its caption) from the pair of
//                          the current language; setting an unchanged text does nothing
#pragma once

#include <QEvent>

namespace omniset {

template <class Base> class LanguageWindow : public Base {
  public:
    using Base::Base;

  protected:
    virtual void refreshTexts() = 0;

    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint || e->type() == QEvent::Show) refreshTexts();
        return Base::event(e);
    }
};

} // namespace omniset
