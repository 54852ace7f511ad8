#pragma once

#include "exchange.h"
#include "trafficrecord.h"

class MSComm;

/*! The history's record of one main-window exchange: its trace, its outcome and the port it
 * ran on. Lives with the windows, which are the only place that knows both the link and the
 * history. */
TrafficRecord exchangeRecord(const Exchange::Trace &trace, Exchange::Outcome outcome,
                             const MSComm &port);
