#pragma once
// The model text of the worked example, shared by the solver suites.

#include <QByteArray>

namespace vestrel::test {

// The two-lot panel at k = 10: sulphur at most 2.5, 50 tonnes, lot 2 must be used.
inline const QByteArray kWorkedExample = "model:\r\n"
                                         "[rObj] min=1500.00*X1+1800.00*X2;\r\n"
                                         "3.20*X1+1.50*X2<25;\r\n"
                                         "X2>1;\r\n"
                                         "X1+X2=10;\r\n"
                                         "50*X1<60*10;\r\n"
                                         "50*X2<100*10;\r\n"
                                         "@gin(X1);\r\n"
                                         "@gin(X2);\r\n"
                                         "data:\r\n"
                                         "@pointer(1)=X1;\r\n"
                                         "@pointer(2)=X2;\r\n"
                                         "@pointer(3)=rObj;\r\n"
                                         "enddata\r\n"
                                         "end";

} // namespace vestrel::test
