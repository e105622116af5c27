package Board::Http;
# Board::Http - a considerate board reader's HTTP: one user agent per run, a
# pause between two requests to one host, cookies kept between runs, files
# asked for on condition (If-Modified-Since), whole files gzip-compressed,
# the rest of a growing file by Range from one byte before the end held.
#
# API:
#   my $http = Board::Http->new(%o)
#       agent        User-Agent (e.g. "Monazilla/1.00 (cm_TEXTBOARD/1.2)")
#       interval     seconds between the end of one request to a host and the
#                    start of the next (Board::Ini::interval_seconds)
#       proxy        "host:port" or '' (the library writes the proxy it wants
#                    or none; the environment's proxy variables are ignored)
#       cookie_file  a file in the group folder where the board's cookies are
#                    kept between runs, mode 0600 (undef: only for this run);
#                    saved whenever an answer sets a cookie
#       max_bytes    largest body accepted, on the wire or unpacked (64 MB)
#       timeout      seconds (30)
#   $http->request($http_request)     HTTP::Response, after the host's pause.
#                    Redirects are never followed: each caller decides.
#   $http->get($url, %opt)  one file, as
#       { status => 'full', bytes, validator }   the whole file (unpacked)
#       { status => 'partial', bytes, validator } what follows the bytes held
#       { status => 'not_modified' }             the validator still holds
#       { status => 'replaced' }                 the file no longer continues
#                    what is held (shorter, or the byte before the end held is
#                    not "\n", or a compressed part): fetch it whole
#       { status => 'gone', where => Location or undef }  (only with optional)
#     options: validator (from an earlier answer: sent as If-Modified-Since),
#       from (bytes held: asks "Range: bytes=from-1-" uncompressed and checks
#       that byte is "\n"), optional (404/410, a redirect or an HTML page give
#       'gone' instead of failing), headers => [name => value, ...].
#     Fails ('http_error', 'http_moved', 'too_big', 'bad_coding') otherwise.
#   $http->post_form($url, \@pairs, %opt)  HTTP::Response of a form POST
#       (application/x-www-form-urlencoded, the pairs' bytes as given, in
#       order); options referer, headers => [...]
#   $http->body($res, $url)    the answer's bytes (gzip unpacked); fails
#   Board::Http::validator_of($res)  what to send as If-Modified-Since next
#       time: Last-Modified, or a second before the answer's Date when the
#       file changed in the second it was served
#   Board::Http::outcome($res) what a POST's answer says of the request:
#       'not_sent' (no connection was made: nothing reached the board),
#       'unclear' (time-out, connection dropped, a 5xx or a proxy's error
#       page: it may have been written), 'answered' (the board answered)
#   $http->save_cookies       writes the cookie file now (done by request)
#   $http->cookie_jar         the HTTP::Cookies of the run
use strict;
use warnings;
use re '/aa';
use Time::HiRes ();
use Board::Files qw(read_file write_file_atomic);
use Board::Messages qw(fail);

sub new {
    my ($class, %o) = @_;
    return bless { agent => $o{agent} // 'drwa board plugin', interval => $o{interval} // 0.5,
                   proxy => $o{proxy} // '', cookie_file => $o{cookie_file},
                   max_bytes => $o{max_bytes} // 64 * 1024 * 1024, timeout => $o{timeout} // 30,
                   last => {} }, $class;
}

sub ua {
    my ($self) = @_;
    return $self->{ua} if $self->{ua};
    require LWP::UserAgent;
    require HTTP::Cookies;
    my $jar = HTTP::Cookies->new;
    my $file = $self->{cookie_file};
    if (defined $file && -e $file) {
        # A file from an older run or by hand loses its other readers first.
        chmod 0600, $file if ((stat $file)[2] // 0) & 077;
        eval { $jar->load($file) };
    }
    $self->{ua} = LWP::UserAgent->new(
        agent        => $self->{agent},
        timeout      => $self->{timeout},
        cookie_jar   => $jar,
        max_size     => $self->{max_bytes},
        max_redirect => 0,
        # A board's answer may name another address to go to; never one that
        # reads this machine's files (file:) or anything but the web.
        protocols_allowed => [qw(http https)],
    );
    if ($self->{proxy} =~ /^\s*([^:\s]+):(\d+)\s*$/) {
        $self->{ua}->proxy([qw(http https)], "http://$1:$2/");
    }
    return $self->{ua};
}

sub cookie_jar { $_[0]->ua->cookie_jar }

sub save_cookies {
    my ($self) = @_;
    return unless defined $self->{cookie_file} && $self->{ua};
    # Session cookies too: a board's confirmation is met once, not every run.
    my $text = "#LWP-Cookies-1.0\n" . $self->{ua}->cookie_jar->as_string(0);
    my $old = read_file($self->{cookie_file});
    return if defined $old && $old eq $text && !(((stat $self->{cookie_file})[2] // 0) & 077);
    write_file_atomic($self->{cookie_file}, $text, mode => 0600);
}

sub request {
    my ($self, $req) = @_;
    my $host = eval { $req->uri->host_port } // '';
    my $wait = ($self->{last}{$host} // 0) + $self->{interval} - Time::HiRes::time();
    Time::HiRes::sleep($wait) if $wait > 0;
    my $res = $self->ua->request($req);
    $self->{last}{$host} = Time::HiRes::time();
    $self->save_cookies if $res->header('Set-Cookie');
    return $res;
}

sub get {
    my ($self, $url, %opt) = @_;
    require HTTP::Request;
    $opt{validator} = undef if defined $opt{validator} && $opt{validator} eq '';
    my $req = HTTP::Request->new(GET => $url);
    $req->header(@{$opt{headers}}) if $opt{headers} && @{$opt{headers}};
    $req->header('If-Modified-Since' => $opt{validator}) if defined $opt{validator};
    if ($opt{from}) {
        # From the last byte held: a line end there shows that the file grew
        # rather than being written anew. A range of a compressed body would
        # be a range of the compressed bytes, so a range is asked plain.
        $req->header(Range => 'bytes=' . ($opt{from} - 1) . '-', 'Accept-Encoding' => 'identity');
    } else {
        $req->header('Accept-Encoding' => 'gzip');
    }
    my $res  = $self->request($req);
    my $code = $res->code;
    return { status => 'not_modified' } if $code == 304;
    return { status => 'replaced' } if $code == 416 && $opt{from};    # shorter than what is held
    if ($res->is_redirect) {
        return { status => 'gone', where => $res->header('Location') // '' } if $opt{optional};
        fail('http_moved', $url, $res->header('Location') // $res->status_line);
    }
    if (!$res->is_success) {
        return { status => 'gone' } if $opt{optional} && ($code == 404 || $code == 410);
        fail('http_error', $url, $res->status_line);
    }
    # A board that has dropped a file may answer with a page about it.
    return { status => 'gone' } if $opt{optional} && ($res->content_type // '') eq 'text/html';
    if ($code == 206) {
        fail('http_error', $url, $res->status_line) unless $opt{from};    # a part nobody asked for
        # A compressed part cannot be unpacked on its own: read the file whole.
        return { status => 'replaced' } if lc($res->header('Content-Encoding') // 'identity') ne 'identity';
    }
    my $body      = $self->body($res, $url);
    my $validator = validator_of($res);
    return { status => 'full', bytes => $body, validator => $validator } if $code != 206;

    my ($start, $end) = ($res->header('Content-Range') // '') =~ m{^\s*bytes\s+(\d+)-(\d+)/}i;
    return { status => 'replaced' }
      unless defined $start && $start == $opt{from} - 1 && $end - $start + 1 == length $body
      && substr($body, 0, 1) eq "\n";
    return { status => 'partial', bytes => substr($body, 1), validator => $validator };
}

sub post_form {
    my ($self, $url, $pairs, %opt) = @_;
    require HTTP::Request::Common;
    my @headers = @{$opt{headers} // []};
    push @headers, Referer => $opt{referer} if defined $opt{referer};
    return $self->request(HTTP::Request::Common::POST($url, [@$pairs], @headers));
}

sub body {
    my ($self, $res, $url) = @_;
    fail('too_big', $url) if ($res->header('Client-Aborted') // '') eq 'max_size';
    fail('http_error', $url, $res->header('X-Died')) if $res->header('X-Died');
    my $coding = lc($res->header('Content-Encoding') // '');
    $coding =~ s/^\s+|\s+$//g;
    return $res->content if $coding eq '' || $coding eq 'identity';
    fail('bad_coding', $url, $coding) unless $coding eq 'gzip' || $coding eq 'x-gzip';
    require IO::Uncompress::Gunzip;
    my $packed = $res->content;
    my $z = IO::Uncompress::Gunzip->new(\$packed, MultiStream => 1, Transparent => 0)
      or fail('bad_coding', $url, $IO::Uncompress::Gunzip::GunzipError);
    my $out = '';
    while (1) {
        my $n = $z->read(my $block, 65536);
        fail('bad_coding', $url, $IO::Uncompress::Gunzip::GunzipError) if $n < 0;
        last if $n == 0;
        $out .= $block;
        fail('too_big', $url) if length $out > $self->{max_bytes};
    }
    return $out;
}

sub validator_of {
    my ($res) = @_;
    require HTTP::Date;
    my $modified = HTTP::Date::str2time($res->header('Last-Modified') // '') // return '';
    my $served   = HTTP::Date::str2time($res->header('Date') // '');
    $modified = $served - 1 if defined $served && $modified >= $served;
    return HTTP::Date::time2str($modified);
}

sub outcome {
    my ($res) = @_;
    if (($res->header('Client-Warning') // '') eq 'Internal response') {
        # LWP's own answer: no connection made is certain; anything after it
        # (a read time-out, a connection closed mid-answer) is not.
        return 'not_sent' if $res->message =~ /Can't connect|Connection refused|Name or service not known|Bad hostname|No route to host|Network is unreachable|Temporary failure in name resolution|not allowed|has been disabled|Unsupported|no such host/i;
        return 'unclear';
    }
    return 'unclear' if $res->header('X-Died') || ($res->header('Client-Aborted') // '') ne '';
    return 'unclear' if $res->code >= 500;
    return 'answered';
}

1;
