// The host's report object: the report writer a plug-in prints through. It owns the layout
// (sections, labels, images), the layout values, the parameter list and the main data set.
// Every live report object is registered, so that an address can be checked before it is used.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "TGraphic.h"
#include "TObject.h"
#include "TStringList.h"
#include "TjClientDataSet.h"
#include "TjxsImage.h"
#include "TjxsLabel.h"
#include "TjxsPowerParam.h"

// Handler of the after-section event: (sender, section number).
using TSectionEvent = std::function<void(TObject* sender, int section)>;

class KDR_API TjfmReport : public TObject {
 public:
  TjfmReport();
  ~TjfmReport() override;
  TjfmReport(const TjfmReport&) = delete;
  TjfmReport& operator=(const TjfmReport&) = delete;

  // True when `address` is a report object alive in this process. Never dereferences it.
  static bool IsLiveReport(const void* address);

  // Prints section n: a section that does not fit starts a new page, and section 1 (the page
  // header) prints at the top of every page. OnAfterSection fires after every printed section.
  virtual void RepPrintSection(int section) = 0;
  // True when section n fits on the rest of the current page.
  virtual bool NativeCanPrintSection(int section) = 0;
  // Ends the current page; the next printed section starts a new one.
  virtual void RepEndOfPage(bool force) = 0;

  // Layout labels and images by name; raise Exception when the layout has none of that name.
  virtual TjxsLabel* LabelByName(const std::string& name) = 0;
  virtual TjxsImage* ImageByName(const std::string& name) = 0;
  // Re-splits the list's text into lines that fit the label's width in the label's font,
  // measured as the renderer draws them. Line breaks in the text are kept.
  virtual void WrapText(TStringList& list, TjxsLabel* label, bool wordWrap, bool keepBreaks) = 0;

  // Layout values (the RepParam setter and getter of the report classes).
  virtual std::string GetLayoutValue(const std::string& name) const = 0;
  virtual void SetLayoutValue(const std::string& name, const std::string& value) = 0;

  // The run's message list, shown after the run. Kinds: 1 text cut, 4 page break ignored.
  virtual void MsgConfigurar(const std::vector<std::string>& headings) = 0;
  virtual void MsgMensagem(int kind, const std::string& text) = 0;
  virtual void CSLShowProgress(int position, int total) = 0;

  virtual TjxsPowerParam& GetParams() = 0;
  // The main data set opened from the report definition; null when the report has none.
  virtual TjClientDataSet* MainDataSet() = 0;

  // The report's picture, whose bitmap carries a logo.
  TPicture& Picture() { return FPicture; }

  TSectionEvent OnAfterSection;

 private:
  TPicture FPicture;
};
